#include "ui/dialogs/TForm10.h"
#include "ui_TForm10.h"

#include "ui/kit/style.h"

namespace orbistan::ui {

TForm10::~TForm10() = default;

TForm10::TForm10(QWidget* parent) : QWidget(parent), ui(std::make_unique<Ui::TForm10>()) {
    ui->setupUi(this);
    makeFixedWindow(*this);
    // The lists in the order of the search; "Fr - Fq", fourth there, is the fourteenth here.
    constexpr int kNumbers[14] = {1, 2, 3, 14, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13};
    for (int c = 0; c < 14; ++c) {
        lists_[c] = findChild<QPlainTextEdit*>(QString("Memo%1").arg(kNumbers[c]));
        headings_[c] = findChild<QLabel*>(QString("Label%1").arg(kNumbers[c]));
    }
    frequencies_ = {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4,
                    ui->Edit5, ui->Edit6, ui->Edit7, ui->Edit8};
    connect(ui->Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    completeAccessibility(*this);
}

void TForm10::prepare(const QString& caption, const QStringList& frequencies) {
    for (QPlainTextEdit* list : lists_) {
        list->clear();
    }
    setWindowTitle(caption);
    for (int i = 0; i < 8; ++i) {
        frequencies_[i]->setText(frequencies.value(i));
    }
}

// A list is filled in one call with its whole text, which is faster than line by line.
void TForm10::setList(int combination, const QString& lines) {
    lists_[combination]->setPlainText(lines);
}

void TForm10::setHeading(int combination, const QString& heading) {
    headings_[combination]->setText(heading);
}

void TForm10::Button1Click() {
    close();
}

} // namespace orbistan::ui
