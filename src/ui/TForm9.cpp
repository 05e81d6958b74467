#include "ui/TForm9.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm9::TForm9(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
