// Start-up, window creation and shut-down of the main window.
#include "ui/main/TForm1.h"
#include "ui_TForm1.h"

#include "platform/paths.h"
#include "ui/dialogs/TForm10.h"
#include "ui/dialogs/TForm11.h"
#include "ui/dialogs/TForm12.h"
#include "ui/dialogs/TForm13.h"
#include "ui/dialogs/TForm14.h"
#include "ui/dialogs/TForm15.h"
#include "ui/dialogs/TForm2.h"
#include "ui/dialogs/TForm3.h"
#include "ui/dialogs/TForm4.h"
#include "ui/dialogs/TForm5.h"
#include "ui/dialogs/TForm6.h"
#include "ui/dialogs/TForm7.h"
#include "ui/dialogs/TForm8.h"
#include "ui/dialogs/TForm9.h"
#include "ui/kit/icon.h"
#include "ui/kit/spectrum_workbench.h"
#include "ui/kit/style.h"
#include "ui/kit/text.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLayout>
#include <QLocale>
#include <QStyle>

namespace orbistan::ui {

TForm1::TForm1(QWidget* parent) : QMainWindow(parent), ui(std::make_unique<Ui::TForm1>()) {
    ui->setupUi(this);
    fixClientSize();

    // Numbers are shown and typed with the decimal comma.
    QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
    state_.NoResult = 1;
    state_.CurrentStandard = 1;
    state_.ProgramDir = currentProgramDir();
    createDataFolders(state_.ProgramDir);

    setWindowIcon(bearingIcon());
    ui->SpeedButton21->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    ui->SpeedButton22->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
    bindInput();
    bindSearch();
    bindBase();
    bindGroup();
    bindMenus();
    bindOptions();
    completeAccessibility(*this);

    ui->N23->trigger(); // load the settings
    // The group of the last run comes back whatever the settings load did: skipping it would
    // let the next computation overwrite "AutoSave.group" with a nearly empty group.
    ui->N50->trigger();
}

TForm1::~TForm1() = default;

void TForm1::createWindows() {
    form2_ = std::make_unique<TForm2>();
    form3_ = std::make_unique<TForm3>();
    form4_ = std::make_unique<TForm4>();
    form5_ = std::make_unique<TForm5>();
    form6_ = std::make_unique<TForm6>();
    form7_ = std::make_unique<TForm7>();
    form9_ = std::make_unique<TForm9>();
    form8_ = std::make_unique<TForm8>();
    form10_ = std::make_unique<TForm10>();
    form11_ = std::make_unique<TForm11>();
    form12_ = std::make_unique<TForm12>();
    form13_ = std::make_unique<TForm13>();
    form14_ = std::make_unique<TForm14>();
    form15_ = std::make_unique<TForm15>();
    bindBaseWindows();
}

// Closing the main window by any means saves the settings once and ends the program,
// whatever else is open.
void TForm1::closeEvent(QCloseEvent* event) {
    ui->N22->trigger();
    event->accept();
    QCoreApplication::exit(0);
}

} // namespace orbistan::ui
