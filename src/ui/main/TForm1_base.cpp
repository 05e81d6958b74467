// The bearing base from the main window: the standard, the type lookup, Clear and Load.
#include "ui/main/TForm1.h"
#include "ui_TForm1.h"

#include "base/bearing_key.h"
#include "base/bearing_type.h"
#include "calc/numbers.h"
#include "datafiles/bearing_record.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "platform/runtime_error.h"
#include "ui/dialogs/TForm11.h"
#include "ui/dialogs/TForm13.h"
#include "ui/dialogs/TForm14.h"
#include "ui/dialogs/TForm6.h"
#include "ui/dialogs/TForm7.h"
#include "ui/dialogs/TForm8.h"
#include "ui/dialogs/TForm9.h"
#include "ui/kit/errorbox.h"
#include "ui/kit/modal.h"
#include "ui/kit/standard.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"

namespace orbistan::ui {

void TForm1::bindBase() {
    connect(ui->N6, &QAction::triggered, this, &TForm1::N6Click);
    connect(ui->N12, &QAction::triggered, this, &TForm1::N12Click);
    connect(ui->SpeedButton22, &QToolButton::clicked, this, [this] { ui->N6->trigger(); });
    connect(ui->SpeedButton41, &QToolButton::clicked, this, &TForm1::SpeedButton41Click);
    connect(ui->SpeedButton37, &QToolButton::clicked, this, &TForm1::SpeedButton37Click);
    connect(ui->SpeedButton21, &QToolButton::clicked, this, [this] { ui->N5->trigger(); });
    connect(ui->N5, &QAction::triggered, this, &TForm1::N5Click);
    connect(ui->RadioButton1, &QRadioButton::clicked, this, [this] { chooseStandard(1); });
    connect(ui->RadioButton2, &QRadioButton::clicked, this, [this] { chooseStandard(0); });
}

// The chosen standard is blue, the other navy, in every window that shows the choice.
void TForm1::chooseStandard(int standard) {
    state_.CurrentStandard = standard;
    paintStandard(*ui->RadioButton1, *ui->RadioButton2, standard);
    if (form7_) {
        form7_->showStandard(standard);
        form9_->showStandard(standard);
    }
}

// The windows of the save, overwrite and delete flows answer back here.
void TForm1::bindBaseWindows() {
    for (TypeChoices* choices : {form7_->choices(), form9_->choices()}) {
        connect(choices, &TypeChoices::chosen, form13_.get(), &TForm13::setTypeCode);
    }
    connect(form7_.get(), &TForm7::standardChosen, this, &TForm1::chooseStandard);
    connect(form9_.get(), &TForm9::standardChosen, this, &TForm1::chooseStandard);
    connect(form7_.get(), &TForm7::saveConfirmed, this, [this] {
        ui->Edit52->setText("0");
        ui->Edit9->setText(form7_->number());
        form7_->Button3Click();
        N6Click();
        form7_->accept();
    });
    connect(form9_.get(), &TForm9::overwriteConfirmed, this, [this] {
        ui->Edit53->setText("0");
        ui->Edit52->setText("0");
        form7_->setAssembledInfo(form9_->assembledInfo());
        N6Click();
        form9_->accept();
    });
    connect(form9_.get(), &TForm9::cancelled, this, [this] { restFlags(); });
    connect(form6_.get(), &TForm6::thanked, this, [this] { restFlags(); });
    connect(form11_.get(), &TForm11::deleteConfirmed, this, [this] {
        ui->Edit52->setText("0");
        ui->Edit9->setText(form11_->number());
        N12Click();
        ui->Edit9->setFocus();
        form11_->accept();
    });
    connect(form14_.get(), &TForm14::deleteConfirmed, this, [this] {
        removeDataFile(state_.CurrentFilePath); // a failure is not reported; never a folder
    });
    chooseStandard(state_.CurrentStandard);
}

void TForm1::restFlags() {
    ui->Edit52->setText("1");
    ui->Edit53->setText("1");
}

namespace {

// The stored notes as the windows show them: without the blanks the record puts before them.
QString shownInformation(const std::string& info) {
    return fromCore(info.substr(std::min(info.find_first_not_of(' '), info.size())));
}

} // namespace

std::optional<std::filesystem::path> TForm1::currentRecordPath() {
    const std::optional<BearingKey> key = BearingFileKey(toCore(ui->Edit9->text()));
    if (!key) {
        return std::nullopt;
    }
    return BearingRecordPath(findDataFolders(state_.ProgramDir), state_.CurrentStandard, *key);
}

// The record of the number shown; CurrentFilePath names it.
RecordRead TForm1::readCurrentRecord() {
    const std::optional<std::filesystem::path> path = currentRecordPath();
    state_.CurrentFilePath = path ? path->string() : std::string();
    return path ? ReadBearingRecord(*path) : RecordRead{};
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
    const RecordRead read = readCurrentRecord();
    if (read.outcome == RecordRead::Unreadable) {
        state_.QuietTypeRefresh = 0;
        showRuntimeError(read.error);
        return;
    }
    if (read.outcome == RecordRead::Absent) {
        state_.currentTypeCodes = {0, 0, 0, 0};
    } else {
        takeRecord(read.record);
    }
    form13_->showType(ui->Edit9->text(), state_.currentTypeCodes,
                      shownInformation(state_.currentInfo));
    if (state_.QuietTypeRefresh == 0) {
        form13_->setWindowState(form13_->windowState() & ~Qt::WindowMinimized);
        form13_->show();
    }
    state_.QuietTypeRefresh = 0;
}

void TForm1::SpeedButton37Click() {
    ui->Edit1->setText("0");
    const bool keep = state_.KeepFr == 1 && state_.LastComputedFr != 0;
    ui->Edit2->setText(keep ? fromCore(formatGeneral(state_.LastComputedFr)) : "0");
    paintField(ui->Edit2, keep);
    for (QLineEdit* field : {ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6}) {
        field->setText("0");
    }
    ui->Edit9->clear();
    ui->Edit9->setFocus();
    for (QLineEdit* field : {ui->Edit1, ui->Edit3, ui->Edit5, ui->Edit4, ui->Edit6, ui->Edit9}) {
        paintField(field, false);
    }
    clearResultFields();
    form13_->clearInfo();
}

void TForm1::N5Click() {
    N52Click();
    const QString number = ui->Edit9->text();
    const RecordRead read = readCurrentRecord();
    if (read.outcome == RecordRead::Absent) {
        prepareForANewBearing(number);
        form6_->showNotInBase();
        return;
    }
    if (read.outcome == RecordRead::Unreadable) {
        showRuntimeError(read.error);
        return;
    }
    const BearingRecord& r = read.record;
    takeRecord(r);
    const std::pair<QLineEdit*, double> values[] = {
        {ui->Edit1, r.Z}, {ui->Edit3, r.dw}, {ui->Edit4, r.D}, {ui->Edit5, r.d}, {ui->Edit6, r.a}};
    for (const auto& [field, value] : values) {
        field->setText(fromCore(formatGeneral(value)));
    }
    if (state_.KeepFr == 1 && state_.LastComputedFr != 0) {
        ui->Edit2->setText(fromCore(formatGeneral(state_.LastComputedFr)));
        paintField(ui->Edit2, true);
    } else {
        ui->Edit2->clear();
        ui->Edit2->setFocus();
        paintField(ui->Edit2, false);
    }
    state_.QuietTypeRefresh = 1;
    SpeedButton41Click();
    for (QLineEdit* field : {ui->Edit9, ui->Edit6, ui->Edit4, ui->Edit5, ui->Edit3, ui->Edit1}) {
        paintField(field, true);
    }
    clearResultFields();
}

// A number the base does not hold: the window is made ready to type its geometry.
void TForm1::prepareForANewBearing(const QString& number) {
    if (state_.AutoClear == 1) {
        SpeedButton37Click();
        ui->Edit9->setText(number);
        paintField(ui->Edit9, true);
        ui->Edit5->clear();
        ui->Edit5->setFocus();
        paintField(ui->Edit5, false);
    } else {
        ui->Edit5->setFocus();
        for (QLineEdit* field : {ui->Edit1, ui->Edit3, ui->Edit5, ui->Edit4, ui->Edit6}) {
            paintField(field, false);
        }
    }
    if (state_.KeepFr == 1) {
        ui->Edit2->setText(fromCore(formatGeneral(state_.LastComputedFr)));
        paintField(ui->Edit2, state_.LastComputedFr != 0);
    } else {
        ui->Edit2->setText("0");
        paintField(ui->Edit2, false);
    }
}

// The record's geometry, type codes and notes become the current bearing's.
void TForm1::takeRecord(const BearingRecord& r) {
    state_.inputs.d = r.d, state_.inputs.D = r.D, state_.inputs.a = r.a;
    state_.inputs.dw = r.dw, state_.inputs.Z = r.Z;
    state_.currentTypeCodes = {r.kind, r.rows, r.load, r.shape};
    state_.currentInfo = r.info;
}

} // namespace orbistan::ui

namespace orbistan::ui {

void TForm1::N6Click() {
    N52Click();
    if (state_.NoResult == 1 || !inputsMatchLastComputation()) {
        form8_->showNotComputed();
        return;
    }
    form7_->clearInfo();
    form9_->clearInfo();
    const std::optional<std::filesystem::path> path = currentRecordPath();
    if (!path) {
        restFlags();
        showRuntimeError(kFileAccessDenied);
        return;
    }
    form9_->markDifferences({});
    const RecordRead read = ReadBearingRecord(*path);
    if (read.outcome == RecordRead::Unreadable) {
        restFlags();
        showRuntimeError(read.error);
        return;
    }
    if (read.outcome == RecordRead::Found) {
        const BearingRecord& r = read.record;
        const BearingInputs& in = state_.inputs;
        const std::array<bool, 5> differs = {r.d != in.d, r.D != in.D, r.a != in.a, r.dw != in.dw,
                                             r.Z != in.Z};
        form9_->markDifferences(differs);
        if (ui->Edit53->text() == "1") {
            showOverwriteWindow(r, differs);
            return;
        }
    }
    if (ui->Edit52->text() == "1") {
        showNewRecordWindow();
        return;
    }
    writeRecord(*path);
}

// «ПЕРЕЗАПИСЬ» with the stored values, red where they differ; its type choices are those stored.
void TForm1::showOverwriteWindow(const BearingRecord& r, const std::array<bool, 5>& differs) {
    // The type code fields hold the codes shown, whatever the record stored.
    const std::array<int, 4> shown = form9_->choices()->select({r.kind, r.rows, r.load, r.shape});
    for (int attribute = 0; attribute < 4; ++attribute) {
        form13_->setTypeCode(attribute, shown[attribute]);
    }
    std::array<QString, 5> values;
    const double stored[] = {r.d, r.D, r.a, r.dw, r.Z};
    for (int i = 0; i < 5; ++i) {
        values[i] = fromCore(formatGeneral(stored[i]));
    }
    form9_->showStored(ui->Edit9->text(), values, differs, shownInformation(r.info));
    showModal(*form9_);
}

// «СОХРАНЕНИЕ» for a new number, its type choices reset.
void TForm1::showNewRecordWindow() {
    form7_->prepareNew(ui->Edit9->text());
    for (int attribute = 0; attribute < 4; ++attribute) {
        form13_->setTypeCode(attribute, 0);
    }
    showModal(*form7_);
    form7_->clearInfo();
}

void TForm1::writeRecord(const std::filesystem::path& path) {
    // Notes that the code page cannot hold are not written changed: the save says so.
    const std::optional<std::string> info = utf8ToCp1251(form7_->assembledInfo().toStdString());
    if (!info) {
        form6_->showCannotSave("в дополнительных сведениях есть знаки вне кодировки 1251");
        return;
    }
    const std::array<int, 4> codes = form13_->typeCodes();
    const BearingInputs& in = state_.inputs;
    const BearingRecord record{in.d,     in.D,     in.a,     in.dw,    in.Z,
                               codes[0], codes[1], codes[2], codes[3], *info};
    if (const int error = WriteBearingRecord(path, record)) {
        form6_->showCannotSave(
            QString::fromStdString(recordSaveFailureText(path, state_.CurrentStandard, error)));
        return;
    }
    restFlags();
    state_.QuietTypeRefresh = 1;
    SpeedButton41Click();
}

void TForm1::N12Click() {
    if (ui->Edit52->text() == "1") {
        form11_->setNumber(ui->Edit9->text());
        showModal(*form11_);
        return;
    }
    const std::optional<std::filesystem::path> path = currentRecordPath();
    state_.CurrentFilePath = path ? path->string() : std::string();
    // A missing record is not reported; one that stays is, and the window keeps its values.
    if (const int error = path ? removeDataFile(*path) : kFileAccessDenied) {
        ui->Edit52->setText("1"); // the next deletion asks again
        showRuntimeError(error);
        return;
    }
    SpeedButton37Click();
    ui->Edit52->setText("1");
}

} // namespace orbistan::ui
