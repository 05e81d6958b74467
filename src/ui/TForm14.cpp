#include "ui/TForm14.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm14::TForm14(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    connect(ui.Button1, &QPushButton::clicked, this, [this] {
        emit deleteConfirmed();
        accept();
    });
    connect(ui.Button2, &QPushButton::clicked, this, &QDialog::reject);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
