#include "ui/dialogs/TForm11.h"
#include "ui_TForm11.h"

#include "ui/kit/style.h"

namespace orbistan::ui {

TForm11::~TForm11() = default;

TForm11::TForm11(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm11>()) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm11::deleteConfirmed);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

void TForm11::setNumber(const QString& number) {
    ui->Edit1->setText(number);
}

QString TForm11::number() const {
    return ui->Edit1->text();
}

} // namespace orbistan::ui
