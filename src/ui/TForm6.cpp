#include "ui/TForm6.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm6::TForm6(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
