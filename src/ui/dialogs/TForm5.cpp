#include "ui/dialogs/TForm5.h"
#include "ui_TForm5.h"

#include "calc/messages.h"
#include "ui/kit/style.h"

namespace orbistan::ui {

TForm5::~TForm5() = default;

TForm5::TForm5(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm5>()) {
    ui->setupUi(this);
    ui->Label1->setText(text::kNegativeAngle);
    connect(ui->Button1, &QPushButton::clicked, this, &QDialog::accept);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
