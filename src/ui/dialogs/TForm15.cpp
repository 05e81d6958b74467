#include "ui/dialogs/TForm15.h"
#include "ui_TForm15.h"

#include "ui/kit/style.h"

namespace orbistan::ui {

TForm15::~TForm15() = default;

TForm15::TForm15(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm15>()) {
    ui->setupUi(this);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
