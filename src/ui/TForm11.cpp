#include "ui/TForm11.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm11::TForm11(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
