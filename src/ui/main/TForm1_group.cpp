// The bearing group of the main window: its list under the number field, the automatic save
// after computations and load at start-up, and recalling an entry.
#include "ui/main/TForm1.h"
#include "ui/main/TForm1_geometry.h"
#include "ui_TForm1.h"

#include "calc/numbers.h"
#include "datafiles/group_file.h"
#include "platform/atomic_file.h"
#include "platform/paths.h"
#include "platform/runtime_error.h"
#include "ui/dialogs/TForm14.h"
#include "ui/dialogs/TForm6.h"
#include "ui/kit/errorbox.h"
#include "ui/kit/file_dialog.h"
#include "ui/kit/modal.h"
#include "ui/kit/text.h"

#include <QFileInfo>
#include <QMenu>
#include <QMouseEvent>

namespace orbistan::ui {

void TForm1::bindGroup() {
    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName("PopupMenu2");
    PopupMenu2->setAccessibleName("Группа подшипников");
    groupEntries_ = {ui->N110, ui->N210, ui->N31,  ui->N41,  ui->N51,  ui->N61,  ui->N71,
                     ui->N81,  ui->N91,  ui->N101, ui->N111, ui->N121, ui->N131, ui->N141,
                     ui->N151, ui->N161, ui->N171, ui->N181, ui->N191, ui->N201, ui->N211};
    for (int k = 0; k < kGroupSlots; ++k) {
        PopupMenu2->addAction(groupEntries_[k]);
        groupEntries_[k]->setVisible(false);
        connect(groupEntries_[k], &QAction::triggered, this, [this, k] { recallSlot(k); });
    }
    PopupMenu2->addSeparator();
    PopupMenu2->addAction(ui->N30);
    ui->N30->setVisible(false);
    connect(ui->N30, &QAction::triggered, this, &TForm1::N30Click);
    connect(ui->N54, &QAction::triggered, this, &TForm1::N54Click);
    connect(ui->N50, &QAction::triggered, this, &TForm1::N50Click);
    connect(ui->N56, &QAction::triggered, this, &TForm1::showGroupList);
    connect(ui->N48, &QAction::triggered, this, &TForm1::N48Click);
    connect(ui->N49, &QAction::triggered, this, &TForm1::N49Click);
    connect(ui->N53, &QAction::triggered, this, &TForm1::N53Click);
}

QString TForm1::chooseGroupFile(bool save) {
    const std::filesystem::path folder = findDataFolders(state_.ProgramDir).group;
    return chooseFile(this, {save, QString::fromStdString(folder.string()), "*.group"});
}

void TForm1::N48Click() {
    const QString chosen = chooseGroupFile(true);
    if (chosen.isEmpty()) {
        return;
    }
    state_.CurrentFilePath = chosen.toStdString();
    // A group the user asked to keep and that could not be written is said so.
    if (const int err = WriteGroupFile(chosen.toStdString(), state_.group.slot)) {
        showRuntimeError(err);
    }
}

void TForm1::N49Click() {
    const QString chosen = chooseGroupFile(false);
    if (chosen.isEmpty()) {
        return;
    }
    state_.CurrentFilePath = chosen.toStdString();
    readGroupFile(chosen.toStdString(), true);
}

void TForm1::N53Click() {
    const QString chosen = chooseGroupFile(false);
    if (chosen.isEmpty()) {
        return;
    }
    state_.CurrentFilePath = chosen.toStdString();
    form14_->setFileName(QFileInfo(chosen).fileName());
    showModal(*form14_);
}

void TForm1::showGroupList() {
    // An empty list would be an invisible pop-up that holds the keyboard and the mouse.
    if (!state_.group.slot[0].filled()) {
        return;
    }
    PopupMenu2->popup(centralWidget()->mapToGlobal(form1::kGroupListAnchor));
}

// The list shows the filled slot under their numbers.
void TForm1::showGroupEntries() {
    const Group& g = state_.group;
    for (int k = 0; k < kGroupSlots; ++k) {
        groupEntries_[k]->setText(fromCore(g.slot[k].number));
        groupEntries_[k]->setVisible(g.slot[k].filled());
    }
    ui->N30->setVisible(g.slot[0].filled());
    if (g.slot[0].filled()) {
        ui->SpeedButton40->setEnabled(true);
    }
}

void TForm1::recordInGroup() {
    const GroupSlot computed{state_.inputs.Z,        state_.inputs.Fr,         state_.inputs.dw,
                             state_.inputs.a,        state_.inputs.D,          state_.inputs.d,
                             state_.CurrentStandard, toCore(ui->Edit9->text())};
    const GroupUpdate update = updateGroup(state_.group, computed);
    showGroupEntries();
    if (update.saves()) {
        ui->N54->trigger();
    }
}

std::filesystem::path TForm1::autoSavePath() const {
    return findDataFolders(state_.ProgramDir).group / kAutoSaveGroup;
}

void TForm1::N54Click() {
    const std::filesystem::path path = autoSavePath();
    state_.CurrentFilePath = path.string();
    const int error = WriteGroupFile(path, state_.group.slot);
    if (error == 0) {
        return;
    }
    std::error_code ec;
    if (std::filesystem::is_directory(path.parent_path(), ec)) {
        // The folder is there: the write itself failed, and says how.
        form6_->showCannotSave(QString::fromStdString(runtimeErrorText(error)),
                               "автосохранение не произведено");
        return;
    }
    form6_->showCannotSave("автосохранение не произведено, директория создана",
                           "В катологе программы не найдена  директория  .\\Basa\\Group\\");
    std::filesystem::create_directories(path.parent_path(), ec);
}

// A group replaces the one in memory only when the whole file has been read.
bool TForm1::readGroupFile(const std::filesystem::path& path, bool clearFirst) {
    const GroupRead read = ReadGroupFile(path);
    if (read.error != 0) {
        showRuntimeError(read.error);
        return false;
    }
    if (clearFirst) {
        N30Click();
    }
    showLoadedGroup(read.slot);
    return true;
}

void TForm1::showLoadedGroup(const std::array<GroupSlot, kGroupSlots>& slot) {
    state_.group.slot = slot;
    settleLoadedGroup(state_.group);
    showGroupEntries();
}

void TForm1::N50Click() {
    const std::filesystem::path path = autoSavePath();
    state_.CurrentFilePath = path.string();
    const GroupRead read = ReadGroupFile(path);
    if (read.error == kFileNotFound || read.error == kPathNotFound) {
        return; // the first start
    }
    if (read.error != 0) {
        // The next automatic save would replace it: it is kept beside, and the user told where.
        showRuntimeError(read.error, keptBesideNotice(keepUnreadableBeside(path, todayIso())));
        return;
    }
    showLoadedGroup(read.slot);
}

QString TForm1::keptBesideNotice(const std::filesystem::path& kept) const {
    if (kept.empty()) {
        return "Файл не удалось переименовать.";
    }
    return "Файл сохранён как " +
           QString::fromStdString(kept.lexically_relative(state_.ProgramDir).string());
}

void TForm1::N30Click() {
    clearGroup(state_.group);
    ui->SpeedButton40->setEnabled(false);
    showGroupEntries();
}

void TForm1::recallSlot(int k) {
    const GroupSlot s = state_.group.slot[k];
    const std::pair<QLineEdit*, double> values[] = {{ui->Edit1, s.Z},  {ui->Edit2, s.Fr},
                                                    {ui->Edit3, s.dw}, {ui->Edit6, s.a},
                                                    {ui->Edit4, s.D},  {ui->Edit5, s.d}};
    for (const auto& [field, value] : values) {
        field->setText(fromCore(formatGeneral(value)));
    }
    ui->Edit9->setText(fromCore(s.number));
    if (s.standard == 1 || s.standard == 0) {
        chooseStandard(s.standard);
    }
    state_.QuietTypeRefresh = 1;
    ui->SpeedButton41->click();
    ui->SpeedButton1->click();
}

} // namespace orbistan::ui
