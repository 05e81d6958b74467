#include "ui/TForm14.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm14::TForm14(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
