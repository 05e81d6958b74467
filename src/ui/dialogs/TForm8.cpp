#include "ui/dialogs/TForm8.h"
#include "ui_TForm8.h"

#include "calc/messages.h"
#include "ui/kit/modal.h"
#include "ui/kit/style.h"

namespace orbistan::ui {

TForm8::~TForm8() = default;

TForm8::TForm8(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm8>()) {
    ui->setupUi(this);
    ui->Label1->setText(text::kEnterDataCorrectly);
    ui->Label2->setText(text::kNotComputedWithNewData);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    // However the window closes, the next showing starts with the first message.
    connect(this, &QDialog::finished, ui->GroupBox2, &QWidget::hide);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

void TForm8::showEnterCorrectly() {
    showModal(*this);
}

void TForm8::showNotComputed() {
    ui->GroupBox2->show();
    showModal(*this);
}

} // namespace orbistan::ui
