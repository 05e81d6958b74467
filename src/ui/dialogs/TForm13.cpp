#include "ui/dialogs/TForm13.h"
#include "ui_TForm13.h"

#include "base/bearing_type.h"

#include "ui/kit/style.h"

namespace orbistan::ui {

TForm13::~TForm13() = default;

TForm13::TForm13(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm13>()) {
    ui->setupUi(this);
    makeFixedWindow(*this);
    move(0, 5);
    ui->Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    completeAccessibility(*this);
}

void TForm13::clearForLookup() {
    ui->Memo1->clear();
    ui->Edit5->clear();
}

void TForm13::showType(const QString& number, const std::array<int, 4>& codes,
                       const QString& info) {
    setWindowTitle("Дополнительная информация по подщипнику №" + number);
    ui->GroupBox6->setTitle("Подшипник № " + number);
    QLabel* labels[] = {ui->Label1, ui->Label2, ui->Label3, ui->Label4};
    for (int i = 0; i < 4; ++i) {
        labels[i]->setText(
            QString::fromStdString(typeSummaryWord(static_cast<TypeAttribute>(i), codes[i])));
    }
    ui->Edit5->setText(QString::fromStdString(typeSummary(codes[0], codes[1], codes[2], codes[3])));
    ui->Memo1->setPlainText(ui->Edit5->text() + '\n' + info);
}

void TForm13::setTypeCode(int attribute, int code) {
    QLineEdit* fields[] = {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4};
    fields[attribute]->setText(QString::number(code));
}

std::array<int, 4> TForm13::typeCodes() const {
    return {ui->Edit1->text().toInt(), ui->Edit2->text().toInt(), ui->Edit3->text().toInt(),
            ui->Edit4->text().toInt()};
}

void TForm13::clearInfo() {
    ui->Memo1->clear();
    ui->GroupBox6->setTitle("Подшипник № ?");
}

} // namespace orbistan::ui
