// The bearing base from the main window: the standard, the type lookup, Clear and Load.
#include "ui/TForm1.h"

#include "base/bearing_key.h"
#include "base/bearing_record.h"
#include "base/bearing_type.h"
#include "calc/numbers.h"
#include "shell/runtime_error.h"
#include "ui/TForm13.h"
#include "ui/TForm6.h"
#include "ui/errorbox.h"
#include "ui/style.h"
#include "ui/text.h"

namespace orbistan::ui {

namespace {
const QColor kNavy(0x00, 0x00, 0x80);
const QColor kBlue(0x00, 0x00, 0xFF);
} // namespace

void TForm1::bindBase() {
    connect(ui.SpeedButton41, &QToolButton::clicked, this, &TForm1::SpeedButton41Click);
    connect(ui.SpeedButton37, &QToolButton::clicked, this, &TForm1::SpeedButton37Click);
    connect(ui.SpeedButton21, &QToolButton::clicked, this, [this] { ui.N5->trigger(); });
    connect(ui.N5, &QAction::triggered, this, &TForm1::N5Click);
    connect(ui.RadioButton1, &QRadioButton::clicked, this, [this] { chooseStandard(1); });
    connect(ui.RadioButton2, &QRadioButton::clicked, this, [this] { chooseStandard(0); });
}

// The chosen standard is blue, the other navy, in every window that shows the choice.
void TForm1::chooseStandard(int standard) {
    state_.CurrentStandard = standard;
    ui.RadioButton1->setChecked(standard == 1);
    ui.RadioButton2->setChecked(standard == 0);
    for (auto [button, colour] : {std::pair{ui.RadioButton1, standard == 1 ? kBlue : kNavy},
                                  std::pair{ui.RadioButton2, standard == 0 ? kBlue : kNavy}}) {
        button->setStyleSheet(QString("QRadioButton { color: %1; }").arg(colour.name()));
    }
}

std::filesystem::path TForm1::currentRecordPath() {
    return BearingRecordPath(findDataFolders(state_.ProgramDir), state_.CurrentStandard,
                             BearingFileKey(toCore(ui.Edit9->text())).key);
}

void TForm1::paintField(QLineEdit* field, bool changed) {
    for (const InputPair& pair : pairs_) {
        if (pair.field == field) {
            paintPair(pair, changed);
        }
    }
}

void TForm1::SpeedButton41Click() {
    form13_->clearForLookup();
    state_.currentInfo.clear();
    N52Click();
    const std::filesystem::path path = currentRecordPath();
    state_.CurrentFilePath = path.string();
    const RecordRead read = ReadBearingRecord(path);
    if (read.outcome == RecordRead::Unreadable) {
        state_.QuietTypeRefresh = 0;
        showRuntimeError(kInvalidNumericInput);
        return;
    }
    if (read.outcome == RecordRead::Absent) {
        state_.currentTypeCodes = {0, 0, 0, 0};
    } else {
        const BearingRecord& r = read.record;
        state_.inputs.d = r.d, state_.inputs.D = r.D, state_.inputs.a = r.a;
        state_.inputs.dw = r.dw, state_.inputs.Z = r.Z;
        state_.currentTypeCodes = {r.kind, r.rows, r.load, r.shape};
        state_.currentInfo = r.info;
    }
    QStringList words;
    for (int attribute = ElementKind; attribute <= Shape; ++attribute) {
        words << QString::fromStdString(typeSummaryWord(static_cast<TypeAttribute>(attribute),
                                                        state_.currentTypeCodes[attribute]));
    }
    const std::string& info = state_.currentInfo;
    form13_->showType(ui.Edit9->text(), words,
                      fromCore(info.substr(std::min(info.find_first_not_of(' '), info.size()))));
    if (state_.QuietTypeRefresh == 0) {
        form13_->setWindowState(form13_->windowState() & ~Qt::WindowMinimized);
        form13_->show();
    }
    state_.QuietTypeRefresh = 0;
}

void TForm1::SpeedButton37Click() {
    ui.Edit1->setText("0");
    const bool keep = state_.KeepFr == 1 && state_.LastComputedFr != 0;
    ui.Edit2->setText(keep ? fromCore(formatGeneral(state_.LastComputedFr)) : "0");
    paintField(ui.Edit2, keep);
    for (QLineEdit* field : {ui.Edit3, ui.Edit4, ui.Edit5, ui.Edit6}) {
        field->setText("0");
    }
    ui.Edit9->clear();
    ui.Edit9->setFocus();
    for (QLineEdit* field : {ui.Edit1, ui.Edit3, ui.Edit5, ui.Edit4, ui.Edit6, ui.Edit9}) {
        paintField(field, false);
    }
    clearResultFields();
    form13_->clearInfo();
}

void TForm1::N5Click() {
    N52Click();
    const QString number = ui.Edit9->text();
    const std::filesystem::path path = currentRecordPath();
    state_.CurrentFilePath = path.string();
    const RecordRead read = ReadBearingRecord(path);
    if (read.outcome == RecordRead::Absent) {
        if (state_.AutoClear == 1) {
            SpeedButton37Click();
            ui.Edit9->setText(number);
            paintField(ui.Edit9, true);
            ui.Edit5->clear();
            ui.Edit5->setFocus();
            paintField(ui.Edit5, false);
        } else {
            ui.Edit5->setFocus();
            for (QLineEdit* field : {ui.Edit1, ui.Edit3, ui.Edit5, ui.Edit4, ui.Edit6}) {
                paintField(field, false);
            }
        }
        if (state_.KeepFr == 1) {
            ui.Edit2->setText(fromCore(formatGeneral(state_.LastComputedFr)));
            paintField(ui.Edit2, state_.LastComputedFr != 0);
        } else {
            ui.Edit2->setText("0");
            paintField(ui.Edit2, false);
        }
        form6_->showNotInBase();
        return;
    }
    if (read.outcome == RecordRead::Unreadable) {
        showRuntimeError(kInvalidNumericInput);
        return;
    }
    const BearingRecord& r = read.record;
    state_.inputs.d = r.d, state_.inputs.D = r.D, state_.inputs.a = r.a;
    state_.inputs.dw = r.dw, state_.inputs.Z = r.Z;
    state_.currentTypeCodes = {r.kind, r.rows, r.load, r.shape};
    state_.currentInfo = r.info;
    const std::pair<QLineEdit*, double> values[] = {
        {ui.Edit1, r.Z}, {ui.Edit3, r.dw}, {ui.Edit4, r.D}, {ui.Edit5, r.d}, {ui.Edit6, r.a}};
    for (const auto& [field, value] : values) {
        field->setText(fromCore(formatGeneral(value)));
    }
    if (state_.KeepFr == 1 && state_.LastComputedFr != 0) {
        ui.Edit2->setText(fromCore(formatGeneral(state_.LastComputedFr)));
        paintField(ui.Edit2, true);
    } else {
        ui.Edit2->clear();
        ui.Edit2->setFocus();
        paintField(ui.Edit2, false);
    }
    state_.QuietTypeRefresh = 1;
    SpeedButton41Click();
    for (QLineEdit* field : {ui.Edit9, ui.Edit6, ui.Edit4, ui.Edit5, ui.Edit3, ui.Edit1}) {
        paintField(field, true);
    }
    clearResultFields();
}

} // namespace orbistan::ui
