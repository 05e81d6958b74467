#include "ui/dialogs/TForm14.h"
#include "ui_TForm14.h"

#include "ui/kit/style.h"

namespace orbistan::ui {

TForm14::~TForm14() = default;

TForm14::TForm14(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm14>()) {
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, [this] {
        Q_EMIT deleteConfirmed();
        accept();
    });
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

void TForm14::setFileName(const QString& name) {
    ui->Edit1->setText(name);
}

} // namespace orbistan::ui
