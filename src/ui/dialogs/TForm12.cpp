#include "ui/dialogs/TForm12.h"
#include "ui_TForm12.h"

#include "ui/kit/style.h"

namespace orbistan::ui {

TForm12::~TForm12() = default;

TForm12::TForm12(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm12>()) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
