#include "ui/TForm4.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm4::TForm4(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
