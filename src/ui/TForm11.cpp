#include "ui/TForm11.h"

#include "ui/style.h"

namespace orbistan::ui {

TForm11::TForm11(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    connect(ui.Button1, &QPushButton::clicked, this, &TForm11::deleteConfirmed);
    connect(ui.Button2, &QPushButton::clicked, this, &QDialog::reject);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
