#include "ui/TForm7.h"

#include "ui/info_box.h"
#include "ui/standard.h"
#include "ui/style.h"
#include "ui/text.h"

namespace orbistan::ui {

TForm7::TForm7(QWidget* parent) : QDialog(parent) {
    ui.setupUi(this);
    choices_ = new TypeChoices(*this);
    connect(ui.Button1, &QPushButton::clicked, this, &TForm7::saveConfirmed);
    connect(ui.Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui.Button3, &QPushButton::clicked, this, &TForm7::Button3Click);
    connect(ui.RadioButton17, &QRadioButton::clicked, this, [this] { emit standardChosen(1); });
    connect(ui.RadioButton18, &QRadioButton::clicked, this, [this] { emit standardChosen(0); });
    refuseCharactersOutsideCp1251(*ui.Memo1);
    makeFixedDialog(*this);
    completeAccessibility(*this);
}

void TForm7::prepareNew(const QString& number) {
    ui.Edit1->setText(number);
    choices_->select({0, 0, 0, 0});
}

void TForm7::clearInfo() {
    ui.Memo1->clear();
}

void TForm7::showStandard(int standard) {
    paintStandard(*ui.RadioButton17, *ui.RadioButton18, standard);
}

void TForm7::Button3Click() {
    setAssembledInfo(joinInformation(displayedLines(*ui.Memo1)));
}

} // namespace orbistan::ui
