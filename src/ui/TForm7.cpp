#include "ui/TForm7.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
