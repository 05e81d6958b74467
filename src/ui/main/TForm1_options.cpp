// The "Установки" menu: the four persisted options, the window-size mode and the settings file.
#include "ui/main/TForm1.h"
#include "ui/main/TForm1_geometry.h"
#include "ui_TForm1.h"

#include "datafiles/settings.h"
#include "platform/atomic_file.h"
#include "ui/kit/errorbox.h"
#include "ui/kit/style.h"

#include <QMenuBar>
#include <algorithm>

namespace orbistan::ui {

namespace {

// Of an option's two items, the one in force is checked and cannot be chosen again.
void markChosen(QAction* chosen, QAction* other) {
    chosen->setChecked(true);
    chosen->setEnabled(false);
    other->setChecked(false);
    other->setEnabled(true);
}

constexpr Qt::WindowFlags kSizeableBorder = kFixedWindowFlags | Qt::WindowMaximizeButtonHint;

} // namespace

void TForm1::bindOptions() {
    connect(ui->N20, &QAction::triggered, this, &TForm1::N20Click);
    connect(ui->N21, &QAction::triggered, this, &TForm1::N21Click);
    connect(ui->N25, &QAction::triggered, this, &TForm1::N25Click);
    connect(ui->N26, &QAction::triggered, this, &TForm1::N26Click);
    connect(ui->N28, &QAction::triggered, this, &TForm1::N28Click);
    connect(ui->N29, &QAction::triggered, this, &TForm1::N29Click);
    connect(ui->N39, &QAction::triggered, this, &TForm1::N39Click);
    connect(ui->N40, &QAction::triggered, this, &TForm1::N40Click);
    connect(ui->N44, &QAction::triggered, this, &TForm1::N44Click);
    connect(ui->N45, &QAction::triggered, this, &TForm1::N45Click);
    connect(ui->N22, &QAction::triggered, this, &TForm1::N22Click);
    connect(ui->N23, &QAction::triggered, this, &TForm1::N23Click);
    for (const auto& [action, value] : precisionItems()) {
        connect(action, &QAction::triggered, this, [this, value = value] { setPrecision(value); });
    }
    setWindowFlags(kFixedWindowFlags);
}

// An option's item: the value (the sound switch has none), the marks, and the file.
void TForm1::chooseOption(int* option, int value, QAction* chosen, QAction* other) {
    if (option) {
        *option = value;
    }
    markChosen(chosen, other);
    N22Click();
}

void TForm1::N20Click() {
    chooseOption(&state_.AutoClear, 1, ui->N20, ui->N21);
}

void TForm1::N21Click() {
    chooseOption(&state_.AutoClear, 0, ui->N21, ui->N20);
}

void TForm1::N25Click() {
    chooseOption(&state_.KeepFr, 0, ui->N25, ui->N26);
}

void TForm1::N26Click() {
    chooseOption(&state_.KeepFr, 1, ui->N26, ui->N25);
}

void TForm1::N28Click() {
    chooseOption(&state_.AutoLoad, 1, ui->N28, ui->N29);
}

void TForm1::N29Click() {
    chooseOption(&state_.AutoLoad, 0, ui->N29, ui->N28);
}

void TForm1::N39Click() {
    chooseOption(nullptr, 0, ui->N39, ui->N40);
}

void TForm1::N40Click() {
    chooseOption(nullptr, 0, ui->N40, ui->N39);
}

void TForm1::N44Click() {
    setWindowFlags(kSizeableBorder);
    centralWidget()->setMinimumSize(0, 0);
    centralWidget()->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    show();
    markChosen(ui->N44, ui->N45);
    N22Click();
}

void TForm1::N45Click() {
    setWindowFlags(kFixedWindowFlags);
    setWindowState(Qt::WindowNoState);
    fixClientSize();
    centerOnScreen(*this);
    show();
    markChosen(ui->N45, ui->N44);
    N22Click();
}

// The designed client area below the menu bar, fixed.
void TForm1::fixClientSize() {
    centralWidget()->setFixedSize(form1::kClientSize);
    setFixedSize(form1::kClientSize + QSize(0, menuBar()->sizeHint().height()));
}

void TForm1::setPrecision(int precision) {
    state_.Precision = precision;
    markPrecision(precision);
    if (state_.NoResult == 0) {
        ui->SpeedButton1->click();
    }
}

// The precision menu's items with the factor each sets.
std::array<std::pair<QAction*, int>, 5> TForm1::precisionItems() const {
    return {{{ui->N0001, 100},
             {ui->N00001, 1000},
             {ui->N000001, 10000},
             {ui->N0000001, 100000},
             {ui->N63, 1}}};
}

void TForm1::markPrecision(int precision) {
    const auto items = precisionItems();
    const bool known =
        std::any_of(std::begin(items), std::end(items),
                    [precision](const auto& item) { return item.second == precision; });
    if (!known) {
        return; // used as the rounding factor all the same; the marks stay
    }
    for (const auto& [action, value] : items) {
        action->setChecked(value == precision);
    }
}

void TForm1::showSettingsInForce() {
    markChosen(state_.AutoClear == 1 ? ui->N20 : ui->N21,
               state_.AutoClear == 1 ? ui->N21 : ui->N20);
    markChosen(state_.KeepFr == 1 ? ui->N26 : ui->N25, state_.KeepFr == 1 ? ui->N25 : ui->N26);
    markChosen(state_.AutoLoad == 1 ? ui->N28 : ui->N29, state_.AutoLoad == 1 ? ui->N29 : ui->N28);
    markPrecision(state_.Precision);
}

void TForm1::N22Click() {
    const Settings values{state_.AutoClear, state_.KeepFr, state_.AutoLoad, state_.Precision};
    if (const int err = saveSettings(state_.ProgramDir, values)) {
        showRuntimeError(err);
    }
}

void TForm1::N23Click() {
    const SettingsLoad load = loadSettingsOrStartAfresh(state_.ProgramDir, todayIso());
    if (!load.keptAs.empty()) {
        showRuntimeError(load.errorCode, keptBesideNotice(load.keptAs));
    }
    if (load.outcome != SettingsLoad::Read) {
        // The values of a first start hold, and the menus show them; nothing is written
        // over a file that could not be read.
        const Settings first;
        state_.AutoClear = first.AutoClear;
        state_.KeepFr = first.KeepFr;
        state_.AutoLoad = first.AutoLoad;
        state_.Precision = first.Precision;
        showSettingsInForce();
        showRuntimeError(load.errorCode);
        return;
    }
    state_.AutoClear = load.values.AutoClear;
    state_.KeepFr = load.values.KeepFr;
    state_.AutoLoad = load.values.AutoLoad;
    state_.Precision = load.values.Precision;
    // Each item saves the settings again, as a user's choice would.
    if (state_.AutoClear == 1) {
        N20Click();
    } else if (state_.AutoClear == 0) {
        N21Click();
    }
    if (state_.KeepFr == 0) {
        N25Click();
    } else if (state_.KeepFr == 1) {
        N26Click();
    }
    if (state_.AutoLoad == 1) {
        N28Click();
    } else if (state_.AutoLoad == 0) {
        N29Click();
    }
    markPrecision(state_.Precision);
}

} // namespace orbistan::ui
