#include "ui/dialogs/TForm6.h"
#include "ui_TForm6.h"

#include "calc/messages.h"
#include "ui/kit/modal.h"
#include "ui/kit/style.h"

namespace orbistan::ui {

TForm6::~TForm6() = default;

TForm6::TForm6(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm6>()) {
    ui->setupUi(this);
    ui->Label1->setText(text::kNotInBase);
    ui->Label5->setText(text::kDataNotSaved);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    // However the notice closes, it starts with its first text next time.
    connect(this, &QDialog::finished, this, [this] {
        ui->Label5->setText(text::kDataNotSaved);
        ui->GroupBox1->hide();
        Q_EMIT thanked();
    });
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

void TForm6::showNotInBase() {
    showModal(*this);
}

void TForm6::showCannotSave(const QString& folderText, const QString& firstLine) {
    ui->Label5->setText(firstLine);
    ui->Label2->setText(folderText);
    ui->GroupBox1->show();
    showModal(*this);
}

} // namespace orbistan::ui
