#include "ui/dialogs/TForm9.h"
#include "ui_TForm9.h"

#include "ui/kit/info_box.h"
#include "ui/kit/standard.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"

namespace orbistan::ui {

TForm9::~TForm9() = default;

TForm9::TForm9(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm9>()) {
    ui->setupUi(this);
    // The number field lies over the blanks of the sentence "… № … в базе есть.".
    const QFontMetrics fm(ui->Label1->font());
    const QString text = ui->Label1->text();
    const int left = fm.horizontalAdvance(text.left(text.indexOf(QString("№")) + 1)) + 4;
    const int right = fm.horizontalAdvance(text.left(text.indexOf(QString("в базе")))) - 4;
    ui->Edit1->setGeometry(ui->Label1->x() + left, ui->Edit1->y(), right - left,
                           ui->Edit1->height());
    choices_ = new TypeChoices(*this);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm9::overwriteConfirmed);
    connect(ui->Button1, &QPushButton::clicked, this, [this] {
        reject();
        Q_EMIT cancelled();
    });
    connect(ui->RadioButton17, &QRadioButton::clicked, this, [this] { Q_EMIT standardChosen(1); });
    connect(ui->RadioButton18, &QRadioButton::clicked, this, [this] { Q_EMIT standardChosen(0); });
    refuseCharactersOutsideCp1251(*ui->Memo1);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

void TForm9::markDifferences(const std::array<bool, 5>& differs) {
    QLabel* labels[] = {ui->Label3, ui->Label5, ui->Label7, ui->Label8, ui->Label9};
    for (int i = 0; i < 5; ++i) {
        QPalette p = labels[i]->palette();
        p.setColor(QPalette::WindowText, differs[i] ? QColor(0xFF, 0, 0) : QColor(0, 0, 0));
        labels[i]->setPalette(p);
    }
}

void TForm9::showStored(const QString& number, const std::array<QString, 5>& values,
                        const std::array<bool, 5>& differs, const QString& info) {
    static const char* const kFormats[] = {"d=%1 мм", "D=%1 мм", "a=%1°", "dw=%1 мм", "Z=%1 шт"};
    QLabel* labels[] = {ui->Label3, ui->Label5, ui->Label7, ui->Label8, ui->Label9};
    for (int i = 0; i < 5; ++i) {
        labels[i]->setText(QString(kFormats[i]).arg(values[i]));
    }
    markDifferences(differs);
    ui->Memo1->setPlainText(info);
    ui->Edit1->setText(number);
}

void TForm9::clearInfo() {
    ui->Memo1->clear();
}

void TForm9::showStandard(int standard) {
    paintStandard(*ui->RadioButton17, *ui->RadioButton18, standard);
}

QString TForm9::assembledInfo() const {
    return joinInformation(displayedLines(*ui->Memo1));
}

} // namespace orbistan::ui
