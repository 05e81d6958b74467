#include "ui/dialogs/TForm3.h"
#include "ui_TForm3.h"

#include "calc/messages.h"
#include "ui/kit/style.h"

namespace orbistan::ui {

TForm3::~TForm3() = default;

TForm3::TForm3(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm3>()) {
    ui->setupUi(this);
    ui->Label1->setText(text::kOuterNotGreater1);
    ui->Label2->setText(text::kOuterNotGreater2);
    answer_ = std::make_unique<DisagreeSwitch>(*this, QList<QWidget*>{ui->Label1, ui->Label2},
                                               ui->Label3, ui->Button1, ui->Button2, ui->Button3);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
