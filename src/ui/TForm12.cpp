#include "ui/TForm12.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm12::TForm12(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
