#include "ui/dialogs/TForm7.h"
#include "ui_TForm7.h"

#include "ui/kit/info_box.h"
#include "ui/kit/standard.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"

namespace orbistan::ui {

TForm7::~TForm7() = default;

TForm7::TForm7(QWidget* parent) : QDialog(parent), ui(std::make_unique<Ui::TForm7>()) {
    ui->setupUi(this);
    choices_ = new TypeChoices(*this);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm7::saveConfirmed);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm7::Button3Click);
    connect(ui->RadioButton17, &QRadioButton::clicked, this, [this] { Q_EMIT standardChosen(1); });
    connect(ui->RadioButton18, &QRadioButton::clicked, this, [this] { Q_EMIT standardChosen(0); });
    refuseCharactersOutsideCp1251(*ui->Memo1);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

void TForm7::prepareNew(const QString& number) {
    ui->Edit1->setText(number);
    choices_->select({0, 0, 0, 0});
}

void TForm7::clearInfo() {
    ui->Memo1->clear();
}

void TForm7::showStandard(int standard) {
    paintStandard(*ui->RadioButton17, *ui->RadioButton18, standard);
}

void TForm7::Button3Click() {
    setAssembledInfo(joinInformation(displayedLines(*ui->Memo1)));
}

QString TForm7::number() const {
    return ui->Edit1->text();
}

QString TForm7::assembledInfo() const {
    return ui->Edit2->text();
}

void TForm7::setAssembledInfo(const QString& text) {
    ui->Edit2->setText(text);
}

} // namespace orbistan::ui
