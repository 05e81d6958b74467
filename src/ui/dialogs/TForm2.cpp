#include "ui/dialogs/TForm2.h"
#include "ui_TForm2.h"

#include "calc/messages.h"
#include "ui/kit/style.h"

namespace orbistan::ui {

TForm2::~TForm2() = default;

TForm2::TForm2(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm2>()) {
    ui->setupUi(this);
    ui->Label1->setText(text::kNotPositive);
    ui->Label1->setAccessibleName(text::kNotPositiveLine);
    ui->Label2->setText(text::kNotPositiveW);
    // The "w" stands just after the first "D", slightly lowered, in the blanks left for it.
    const QString upToD = QString(text::kNotPositive).section('D', 0, 0) + 'D';
    const QFontMetrics fm(ui->Label1->font());
    ui->Label2->move(ui->Label1->x() + fm.horizontalAdvance(upToD),
                     ui->Label1->y() + (ui->Label1->height() - fm.height()) / 2 + fm.descent());
    answer_ = std::make_unique<DisagreeSwitch>(*this, QList<QWidget*>{ui->Label1, ui->Label2},
                                               ui->Label3, ui->Button1, ui->Button2, ui->Button3);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

} // namespace orbistan::ui
