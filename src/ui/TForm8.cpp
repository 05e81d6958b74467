#include "ui/TForm8.h"

#include "calc/messages.h"
#include "ui/modal.h"
#include "ui/style.h"

namespace orbistan::ui {

TForm8::TForm8(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    ui.Label1->setText(text::kEnterDataCorrectly);
    ui.Label2->setText(text::kNotComputedWithNewData);
    connect(ui.Button1, &QPushButton::clicked, this, [this] {
        ui.GroupBox2->hide();
        accept();
    });
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

void TForm8::showEnterCorrectly() {
    showModal(*this);
}

void TForm8::showNotComputed() {
    ui.GroupBox2->show();
    showModal(*this);
}

// Escape leaves the window as "СПАСИБО" does, so the next showing starts with the first message.
void TForm8::reject() {
    ui.GroupBox2->hide();
    QDialog::reject();
}

} // namespace orbistan::ui
