// The input side of the main window: fields, keypad, transfers, and "ВЫЧИСЛИТЬ".
#include "ui/kit/spectrum_workbench.h"
#include "ui/main/TForm1.h"
#include "ui_TForm1.h"

#include "base/bearing_number.h"
#include "calc/compute.h"
#include "calc/numbers.h"
#include "ui/dialogs/TForm2.h"
#include "ui/dialogs/TForm3.h"
#include "ui/dialogs/TForm5.h"
#include "ui/dialogs/TForm8.h"
#include "ui/kit/modal.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"

namespace orbistan::ui {

namespace {
constexpr int kNumberCode = 19;
} // namespace

void TForm1::bindInput() {
    collectFields();
    // What a field holds must survive the way to the data files unchanged.
    for (QLineEdit* edit : findChildren<QLineEdit*>()) {
        if (!edit->isReadOnly()) {
            keepFieldTextValid(*edit);
        }
    }
    bindFieldPairs();
    bindKeypad();
}

void TForm1::collectFields() {
    pairs_ = {{
        {ui->Edit1, ui->SpeedButton35, ui->SpeedButton13, 13}, // Z
        {ui->Edit2, ui->SpeedButton30, ui->SpeedButton16, 16}, // Fr
        {ui->Edit3, ui->SpeedButton34, ui->SpeedButton14, 14}, // dw
        {ui->Edit4, ui->SpeedButton32, ui->SpeedButton17, 17}, // D
        {ui->Edit5, ui->SpeedButton31, ui->SpeedButton15, 15}, // d
        {ui->Edit6, ui->SpeedButton33, ui->SpeedButton18, 18}, // a
        {ui->Edit9, ui->SpeedButton29, ui->SpeedButton19, kNumberCode},
    }};
    resultFields_ = {ui->Edit10, ui->Edit11, ui->Edit12, ui->Edit13, ui->Edit14, ui->Edit15,
                     ui->Edit16, ui->Edit22, ui->Edit19, ui->Edit49, ui->Edit40, ui->Edit37,
                     ui->Edit28, ui->Edit25, ui->Edit46, ui->Edit43, ui->Edit34, ui->Edit31,
                     ui->Edit60, ui->Edit56, ui->Edit64};
    multiplierFields_ = {ui->Edit20, ui->Edit21, ui->Edit17, ui->Edit18, ui->Edit47, ui->Edit62,
                         ui->Edit38, ui->Edit39, ui->Edit35, ui->Edit36, ui->Edit26, ui->Edit27,
                         ui->Edit23, ui->Edit24, ui->Edit44, ui->Edit45, ui->Edit41, ui->Edit42,
                         ui->Edit32, ui->Edit33, ui->Edit29, ui->Edit30, ui->Edit57, ui->Edit58,
                         ui->Edit54, ui->Edit55, ui->Edit63, ui->Edit65};
}

// Each field with its two name buttons: either button moves the keypad value into it, and the
// buttons turn blue when it changes.
void TForm1::bindFieldPairs() {
    for (InputPair& pair : pairs_) {
        paintPair(pair, false);
        const auto transfer = [this, &pair] {
            if (pair.code == kNumberCode) {
                SpeedButton19Click();
            } else {
                transferClick(pair);
            }
        };
        connect(pair.inputButton, &QToolButton::clicked, this, transfer);
        connect(pair.keypadButton, &QToolButton::clicked, this, transfer);
        if (pair.code != kNumberCode) {
            connect(pair.field, &QLineEdit::textChanged, this,
                    [this, &pair] { paintPair(pair, true); });
        }
    }
    connect(ui->Edit9, &QLineEdit::textChanged, this, &TForm1::Edit9Change);
}

void TForm1::bindKeypad() {
    const std::pair<QToolButton*, char> keys[] = {
        {ui->SpeedButton10, '0'}, {ui->SpeedButton11, '1'}, {ui->SpeedButton2, '2'},
        {ui->SpeedButton3, '3'},  {ui->SpeedButton4, '4'},  {ui->SpeedButton5, '5'},
        {ui->SpeedButton6, '6'},  {ui->SpeedButton7, '7'},  {ui->SpeedButton8, '8'},
        {ui->SpeedButton9, '9'},  {ui->SpeedButton12, ','}};
    for (const auto& [button, key] : keys) {
        connect(button, &QToolButton::clicked, this, [this, key = key] { keypadKeyClick(key); });
    }
    connect(ui->SpeedButton20, &QToolButton::clicked, this, &TForm1::SpeedButton20Click);
    connect(ui->SpeedButton1, &QToolButton::clicked, this, &TForm1::SpeedButton1Click);
}

void TForm1::paintPair(const InputPair& pair, bool changed) {
    const QColor& colour = changed ? kBlue : kNavy;
    setCaptionColour(*pair.inputButton, colour);
    setCaptionColour(*pair.keypadButton, colour);
}

void TForm1::keypadKeyClick(char key) {
    if (ui->Edit48->text() == "1") {
        ui->Edit8->clear();
        ui->Edit48->setText("0");
    }
    ui->Edit8->setText(ui->Edit8->text() + QChar(key));
}

void TForm1::SpeedButton20Click() {
    if (!ui->Edit8->text().isEmpty()) {
        state_.keypad.LastKeypadText = toCore(ui->Edit8->text());
    }
    ui->Edit8->clear();
}

void TForm1::transferClick(InputPair& pair) {
    if (ui->Edit8->text().isEmpty()) {
        return;
    }
    state_.keypad.LastKeypadText = toCore(ui->Edit8->text());
    state_.keypad.LastTransferTarget = pair.code;
    pair.field->setText(ui->Edit8->text());
    ui->Edit8->clear();
    paintPair(pair, true);
}

void TForm1::SpeedButton19Click() {
    if (ui->Edit8->text().isEmpty()) {
        return;
    }
    transferClick(pairs_.back());
    if (state_.AutoLoad == 1) {
        ui->N5->trigger();
    }
}

void TForm1::Edit9Change() {
    if (ui->Edit9->text() == " ") {
        ui->Edit9->clear(); // runs this reaction again
        return;
    }
    paintPair(pairs_.back(), !ui->Edit9->text().isEmpty());
}

void TForm1::N52Click() {
    ui->Edit9->setText(fromCore(trimBearingNumber(toCore(ui->Edit9->text()))));
}

// The input fields still hold the texts of the last computation.
bool TForm1::inputsMatchLastComputation() const {
    InputSnapshot now;
    for (int i = 0; i < InputFieldCount; ++i) {
        now[i] = toCore(pairs_[i].field->text());
    }
    return snapshotMatches(state_.snapshot, now);
}

InputTexts TForm1::inputTexts() const {
    InputTexts texts;
    for (int i = 0; i < InputFieldCount; ++i) {
        texts.fields[i] = toCore(pairs_[i].field->text());
    }
    for (int i = 0; i < kMultiplierCount; ++i) {
        texts.multipliers[i] = toCore(multiplierFields_[i]->text());
    }
    return texts;
}

void TForm1::SpeedButton1Click() {
    N52Click();
    const ComputeOutcome c = runComputation(inputTexts(), state_.Precision);
    state_.snapshot = c.validation.snapshot;
    state_.inputs = c.validation.inputs;
    switch (c.kind) {
    case ComputeOutcome::Unreadable:
        state_.NoResult = 1;
        clearResultFields();
        form8_->showEnterCorrectly();
        return;
    case ComputeOutcome::OutOfRange:
        state_.NoResult = 1;
        showRangeWarnings(c.validation.warnings);
        return;
    case ComputeOutcome::Done:
        break;
    }
    state_.LastComputedFr = state_.inputs.Fr;
    state_.results = c.results;
    showResults();
    for (const InputPair& pair : pairs_) {
        paintPair(pair, false);
    }
    ui->Edit8->setFocus();
    state_.NoResult = 0;
    ui->SpeedButton40->setEnabled(true);
    recordInGroup();
    if (form16_) { // a window not yet made reads the bearing when it is
        form16_->bearingChanged();
    }
}

void TForm1::showRangeWarnings(const std::vector<RangeWarning>& warnings) {
    for (RangeWarning w : warnings) {
        switch (w) {
        case RangeWarning::OuterNotGreater:
            showModal(*form3_);
            break;
        case RangeWarning::NegativeAngle:
            showModal(*form5_);
            break;
        case RangeWarning::NotPositive:
            showModal(*form2_);
            break;
        }
    }
}

void TForm1::showResults() {
    for (int i = 0; i < ResultCount; ++i) {
        resultFields_[i]->setText(fromCore(formatGeneral(state_.results[i])));
    }
}

void TForm1::clearResultFields() {
    for (QLineEdit* field : resultFields_) {
        field->clear();
    }
}

} // namespace orbistan::ui
