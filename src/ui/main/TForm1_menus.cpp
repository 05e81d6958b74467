// The command surface of the main window: menus, the context menu, shortcut keys, the
// function-key panel, and the external calculator, About and spectrum windows.
#include "ui/main/TForm1.h"
#include "ui/main/TForm1_geometry.h"
#include "ui_TForm1.h"

#include "platform/paths.h"

#include "ui/dialogs/TForm12.h"
#include "ui/dialogs/TForm4.h"
#include "ui/kit/modal.h"
#include "ui/kit/spectrum_workbench.h"
#include "ui/kit/style.h"

#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QProcess>
#include <algorithm>
#include <functional>

namespace orbistan::ui {

namespace {

using form1::FunctionKey;
using form1::kFunctionKeys;

void paintLabel(QLabel& label, const QColor& colour, int pointSize, QPoint topLeft) {
    QPalette p = label.palette();
    p.setColor(QPalette::WindowText, colour);
    label.setPalette(p);
    QFont f = label.font();
    f.setPointSize(pointSize);
    label.setFont(f);
    label.adjustSize();
    label.move(topLeft);
}

auto press(QAbstractButton* b) {
    return [b] { b->click(); };
}

auto invoke(QAction* a) {
    return [a] { a->trigger(); };
}

} // namespace

void TForm1::bindMenus() {
    connect(ui->N2, &QAction::triggered, this, &TForm1::N2Click);
    connect(ui->N4, &QAction::triggered, this, &TForm1::N4Click);
    connect(ui->N15, &QAction::triggered, this, &TForm1::N15Click);
    connect(ui->N64, &QAction::triggered, this, &TForm1::N64Click);
    connect(ui->N58, &QAction::triggered, this, press(ui->SpeedButton41));
    connect(ui->N52, &QAction::triggered, this, &TForm1::N52Click);
    bindContextMenu();
    bindHiddenItems();
    ui->N38->menuAction()->setVisible(false); // the sound switch has no effect to offer

    // Menu keys win over the keys the fields handle themselves (Home, End, Ctrl+Z, Ctrl+X ...),
    // as everywhere in the main window.
    for (const QAction* action : findChildren<QAction*>()) {
        if (!action->shortcut().isEmpty()) {
            menuShortcuts_ << action->shortcut();
        }
    }
    for (QWidget* w : findChildren<QWidget*>()) {
        w->installEventFilter(this);
    }
    setContextMenuPolicy(Qt::PreventContextMenu);
    bindFunctionKeys();
}

// The context menu repeats items of the main menu and buttons of the window. Its items belong
// to the window too, so that their keys work wherever the focus is.
void TForm1::bindContextMenu() {
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName("PopupMenu1");
    PopupMenu1->setAccessibleName("Контекстное меню");
    PopupMenu1->addActions({ui->N7, ui->N8, ui->N9});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({ui->N10, ui->N11});
    PopupMenu1->addSeparator();
    PopupMenu1->addActions({ui->N13, ui->N14});
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(ui->N18);
    addActions(PopupMenu1->actions());
    connect(ui->N7, &QAction::triggered, this, press(ui->SpeedButton1));
    connect(ui->N8, &QAction::triggered, this, press(ui->SpeedButton36));
    connect(ui->N9, &QAction::triggered, this, &TForm1::N15Click);
    connect(ui->N10, &QAction::triggered, this, invoke(ui->N6));
    connect(ui->N11, &QAction::triggered, this, invoke(ui->N5));
    connect(ui->N13, &QAction::triggered, this, invoke(ui->N48));
    connect(ui->N14, &QAction::triggered, this, invoke(ui->N49));
    connect(ui->N18, &QAction::triggered, this, invoke(ui->N2));
}

// Hidden items: never displayed, they exist for their keys.
void TForm1::bindHiddenItems() {
    connect(ui->N32, &QAction::triggered, this, &TForm1::SpeedButton20Click);
    const std::pair<QAction*, QAbstractButton*> presses[] = {
        {ui->N33, ui->SpeedButton38}, {ui->N34, ui->SpeedButton39}, {ui->N35, ui->SpeedButton19},
        {ui->N36, ui->SpeedButton15}, {ui->N37, ui->SpeedButton17}, {ui->N42, ui->SpeedButton18},
        {ui->N46, ui->SpeedButton14}, {ui->N47, ui->SpeedButton13}, {ui->N55, ui->SpeedButton16}};
    for (const auto& [item, button] : presses) {
        connect(item, &QAction::triggered, this, press(button));
    }
    connect(ui->N57, &QAction::triggered, this, [this] {
        if (ui->SpeedButton54->isEnabled()) {
            ui->SpeedButton54->click();
        }
    });
}

void TForm1::bindFunctionKeys() {
    for (const FunctionKey& key : kFunctionKeys) {
        auto* label = findChild<QLabel*>(key.label);
        label->setCursor(Qt::PointingHandCursor);
        paintLabel(*label, kNavy, 8, {key.restingLeft, 2});
    }
}

bool TForm1::functionKeyEvent(QLabel* label, QEvent* event) {
    const auto* key =
        std::find_if(std::begin(kFunctionKeys), std::end(kFunctionKeys),
                     [label](const FunctionKey& k) { return label->objectName() == k.label; });
    if (key == std::end(kFunctionKeys)) {
        return false;
    }
    switch (event->type()) {
    case QEvent::Enter:
        paintLabel(*label, kBlue, 10, {key->hoverLeft, 1});
        return false;
    case QEvent::Leave:
        paintLabel(*label, kNavy, 8, {key->restingLeft, 2});
        return false;
    case QEvent::MouseButtonRelease:
        break;
    default:
        return false;
    }
    // In the order of the strip: F1, F2, F4, F5, F6, F9, F12.
    const std::function<void()> actions[] = {
        [this] { ui->SpeedButton1->click(); }, [this] { ui->SpeedButton36->click(); },
        [this] { ui->N15->trigger(); },        [this] { ui->SpeedButton22->click(); },
        [this] { ui->N5->trigger(); },         [this] { ui->N12->trigger(); },
        [this] { ui->N2->trigger(); }};
    actions[key - std::begin(kFunctionKeys)]();
    return true;
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (menuShortcuts_.contains(QKeySequence(key->keyCombination()))) {
            event->ignore();
            return true;
        }
    }
    if (auto* label = qobject_cast<QLabel*>(watched); label && label->parent() == ui->Panel1) {
        return functionKeyEvent(label, event);
    }
    if (searchToolEvent(watched, event)) {
        return true;
    }
    // The group list opens on the left button's release over its button (SpeedButton40MouseUp).
    if (watched == ui->SpeedButton40 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
        ui->SpeedButton40->isEnabled()) {
        showGroupList();
    }
    return QMainWindow::eventFilter(watched, event);
}

void TForm1::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::RightButton) {
        PopupMenu1->popup(event->globalPosition().toPoint());
    }
    QMainWindow::mouseReleaseEvent(event);
}

void TForm1::N2Click() {
    close();
}

void TForm1::N4Click() {
    showModal(*form4_);
}

void TForm1::N64Click() {
    if (SpectrumWorkbench* spectrum = spectrumWindow()) {
        QWidget* window = spectrum->widget();
        window->show();
        window->raise();
        window->activateWindow();
    }
}

// The calculator is any program the user places as CALC.exe beside the data; it runs on its
// own, without a shell, and the calculator does not wait for it.
void TForm1::N15Click() {
    const std::filesystem::path program = findCalculator(state_.ProgramDir);
    if (program.empty()) {
        showModal(*form12_);
        return;
    }
    QProcess::startDetached(QString::fromStdString(program.string()), {},
                            QString::fromStdString(state_.ProgramDir));
}

} // namespace orbistan::ui
