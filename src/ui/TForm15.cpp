#include "ui/TForm15.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm15::TForm15(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
