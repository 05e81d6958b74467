// The command surface: every menu item and key, the context menu, the function-key panel,
// and the About, calculator and spectrum windows.
#include "ui_fixture.h"

#include "ui/plot/plot.h"

#include <QAction>
#include <QApplication>
#include <QEnterEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>

using orbistan::test::UiFixture;

namespace {

QWidget* topLevel(const QString& name) {
    return UiFixture::topLevel(name);
}

} // namespace

class MenusTest : public QObject {
    Q_OBJECT

    UiFixture f;

    QAction* action(const QString& name) { return f.action(name); }
    // The captions a menu displays, separators as "-".
    QStringList shownCaptions(const QString& menuName) {
        QStringList captions;
        for (QAction* a : f.form().findChild<QMenu*>(menuName)->actions()) {
            if (a->isVisible()) {
                captions << (a->isSeparator() ? QString("-") : a->text());
            }
        }
        return captions;
    }
    void press(QKeyCombination key) {
        QTest::keyClick(QApplication::focusWidget(), key.key(), key.keyboardModifiers());
    }

private Q_SLOTS:
    void init() { f.start(); }
    void cleanup() { f.stop(); }

    void menuBarShowsTheDesignedItems() {
        QStringList top;
        for (QAction* a : f.form().menuBar()->actions()) {
            top << a->text();
        }
        QCOMPARE(top, QStringList({"Файл", "Установки", "Справка"}));
        QCOMPARE(shownCaptions("N1"),
                 QStringList({"Сохранить", "Загрузить", "Удалить подшипник", "-",
                              "Сохранить группу", "Загрузить группу", "Удалить группу", "-",
                              "Спектр", "Тип подшипника", "Калькулятор", "-", "Выход"}));
        QCOMPARE(shownCaptions("N16"),
                 QStringList({"Точность вычисления", "Автозагрузка", "Автоочистка",
                              "Оборотная частота", "Размер окна"}));
        QCOMPARE(shownCaptions("N17"),
                 QStringList({"0.00", "0.000", "0.0000", "0.00000", "не округлять"}));
        QCOMPARE(shownCaptions("N38"), QStringList({"Включить", "Отключить"}));
        QVERIFY(!f.form().findChild<QMenu*>("N38")->menuAction()->isVisible());
        QCOMPARE(shownCaptions("N3"), QStringList({"О программе"}));
        QCOMPARE(shownCaptions("PopupMenu1"),
                 QStringList({"Вычислить", "Искать", "Калькулятор", "-", "Сохранить", "Загрузить",
                              "-", "Сохранить группу", "Загрузить группу", "-", "Выход"}));
    }

    void everyItemHasItsCaptionAndKey_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("visible");
        const QList<std::tuple<const char*, const char*, const char*, bool>> items = {
            {"N6", "Сохранить", "F5", true},
            {"N5", "Загрузить", "F6", true},
            {"N12", "Удалить подшипник", "F9", true},
            {"N48", "Сохранить группу", "", true},
            {"N49", "Загрузить группу", "", true},
            {"N53", "Удалить группу", "", true},
            {"N64", "Спектр", "Ctrl+G", true},
            {"N58", "Тип подшипника", "F7", true},
            {"N15", "Калькулятор", "F4", true},
            {"N2", "Выход", "F12", true},
            {"N22", "Сохранить установки", "", false},
            {"N23", "Загрузить установки", "", false},
            {"N4", "О программе", "", true},
            {"N7", "Вычислить", "F1", true},
            {"N8", "Искать", "F2", true},
            {"N32", "сброс", "Ctrl+Z", true},
            {"N33", "больше", "Home", true},
            {"N34", "меньше", "End", true},
            {"N35", "№", "Ctrl+Q", true},
            {"N36", "d", "Ctrl+W", true},
            {"N37", "D", "Ctrl+S", true},
            {"N42", "a", "Ctrl+X", true},
            {"N46", "dw", "Ctrl+E", true},
            {"N47", "Z", "Ctrl+D", true},
            {"N55", "Fr", "Ctrl+F", true},
            {"N56", "Временное сохранение", "F8", true},
            {"N57", "Варианты", "F3", true},
            {"N50", "Автозагрузка  группы ", "", true},
            {"N54", "Автосохронение группы", "", true},
            {"N52", "Удаление пробелов", "", true}};
        for (const auto& [name, caption, key, visible] : items) {
            QTest::newRow(name) << name << caption << key << visible;
        }
    }
    void everyItemHasItsCaptionAndKey() {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(QString, key);
        QFETCH(bool, visible);
        QAction* a = action(name);
        QCOMPARE(a->text(), caption);
        QCOMPARE(a->shortcut(), QKeySequence(key));
        QCOMPARE(a->isVisible(), visible);
        // Hidden items of the context menu are never displayed, yet answer their keys.
        if (!key.isEmpty()) {
            QVERIFY(a->isEnabled());
            QVERIFY(f.form().actions().contains(a) || a->associatedObjects().size() > 0);
        }
    }

    void hiddenKeysReachTheKeypadActions_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("field");
        QTest::newRow("Ctrl+Q №") << (Qt::CTRL | Qt::Key_Q) << "Edit9";
        QTest::newRow("Ctrl+W d") << (Qt::CTRL | Qt::Key_W) << "Edit5";
        QTest::newRow("Ctrl+S D") << (Qt::CTRL | Qt::Key_S) << "Edit4";
        QTest::newRow("Ctrl+X a") << (Qt::CTRL | Qt::Key_X) << "Edit6";
        QTest::newRow("Ctrl+E dw") << (Qt::CTRL | Qt::Key_E) << "Edit3";
        QTest::newRow("Ctrl+D Z") << (Qt::CTRL | Qt::Key_D) << "Edit1";
        QTest::newRow("Ctrl+F Fr") << (Qt::CTRL | Qt::Key_F) << "Edit2";
    }
    void hiddenKeysReachTheKeypadActions() {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, field);
        if (field == "Edit9") {
            f.answerAll(1, "СПАСИБО"); // "Автозагрузка" looks the number up: not stored
        }
        f.type("Edit8", "42"); // the focus stays in the keypad display
        press(key);
        QCOMPARE(f.edit(field)->text(), QString("42"));
        QCOMPARE(f.edit("Edit8")->text(), QString());
    }

    void ctrlZResetsTheDisplayEvenInsideAField() {
        f.type("Edit8", "17");
        press(Qt::CTRL | Qt::Key_Z);
        QCOMPARE(f.edit("Edit8")->text(), QString());
        QCOMPARE(f.form().state().keypad.LastKeypadText, std::string("17"));
    }

    void keysPressTheirButtons_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("target");
        QTest::newRow("Home больше") << QKeyCombination(Qt::Key_Home) << "SpeedButton38";
        QTest::newRow("End меньше") << QKeyCombination(Qt::Key_End) << "SpeedButton39";
        QTest::newRow("F2 Искать") << QKeyCombination(Qt::Key_F2) << "SpeedButton36";
        QTest::newRow("F3 Варианты") << QKeyCombination(Qt::Key_F3) << "SpeedButton54";
        QTest::newRow("F7 Тип подшипника") << QKeyCombination(Qt::Key_F7) << "SpeedButton41";
    }
    void keysPressTheirButtons() {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, target);
        QSignalSpy clicked(f.button(target), &QToolButton::clicked);
        if (target == "SpeedButton36") {
            f.answerAll(1, "СПАСИБО"); // nothing computed to search in yet
        }
        f.edit("Edit8")->setFocus();
        press(key);
        QCOMPARE(clicked.count(), 1);
    }

    void keysTriggerTheirItems_data() {
        QTest::addColumn<QKeyCombination>("key");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("answer"); // the button that answers the window it opens
        QTest::newRow("F5 save, nothing computed") << QKeyCombination(Qt::Key_F5) << "N6"
                                                   << "СПАСИБО";
        QTest::newRow("F6 load, not stored") << QKeyCombination(Qt::Key_F6) << "N5"
                                             << "СПАСИБО";
        QTest::newRow("F8") << QKeyCombination(Qt::Key_F8) << "N56"
                            << "";
        QTest::newRow("F9 delete, asks first") << QKeyCombination(Qt::Key_F9) << "N12"
                                               << "Отмена";
    }
    void keysTriggerTheirItems() {
        QFETCH(QKeyCombination, key);
        QFETCH(QString, item);
        QFETCH(QString, answer);
        QSignalSpy triggered(action(item), &QAction::triggered);
        if (!answer.isEmpty()) {
            f.answerAll(1, answer);
        }
        f.edit("Edit1")->setFocus();
        press(key);
        QCOMPARE(triggered.count(), 1);
    }

    void f1ComputesWhereverTheFocusIs() {
        f.type("Edit1", "9");
        f.type("Edit2", "25");
        f.type("Edit3", "7,938");
        f.type("Edit4", "52");
        f.type("Edit5", "25");
        f.type("Edit6", "0"); // the focus is in a field
        press(QKeyCombination(Qt::Key_F1));
        QCOMPARE(f.edit("Edit10")->text(), QString("89,3045454545455"));
    }

    void f4WithoutCalculatorShowsTheNotice() {
        f.answer([](QDialog& d) {
            QCOMPARE(d.objectName(), QString("TForm12"));
            QCOMPARE(d.findChild<QLabel*>("Label1")->text(),
                     QString("Файл  Calc.exe в директории программы не найден"));
            UiFixture::clickButton(d, "Button1");
        });
        press(QKeyCombination(Qt::Key_F4));
        QCOMPARE(f.shownWindows(), QStringList{"orbistan::ui::TForm12"});
    }

    void calculatorStartsWithoutWaiting_data() {
        QTest::addColumn<QString>("name");
        for (const char* name : {"CALC.exe", "Calc.exe", "calc.EXE"}) {
            QTest::newRow(name) << name;
        }
    }

    void calculatorStartsWithoutWaiting() {
        QFETCH(QString, name);
        const QString marker = f.programDir() + "/started";
        QFile calc(f.programDir() + "/" + name);
        QVERIFY(calc.open(QIODevice::WriteOnly));
        calc.write(("#!/bin/sh\necho \"$PWD\" > '" + marker + "'\n").toUtf8());
        calc.close();
        calc.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner |
                            QFileDevice::WriteOwner);
        action("N15")->trigger();
        QTRY_VERIFY(QFile::exists(marker));
        QVERIFY(f.shownWindows().isEmpty());
    }

    void f12ClosesTheWindow() {
        press(QKeyCombination(Qt::Key_F12));
        QVERIFY(!f.form().isVisible());
    }

    void rightButtonOpensTheContextMenuOnly() {
        auto* popup = f.form().findChild<QMenu*>("PopupMenu1");
        QWidget* area = f.form().centralWidget();
        for (Qt::MouseButton b : {Qt::LeftButton, Qt::MiddleButton}) {
            QTest::mouseRelease(area, b, {}, QPoint(415, 470));
            QVERIFY(!popup->isVisible());
        }
        QTest::mouseRelease(area, Qt::RightButton, {}, QPoint(415, 470));
        QVERIFY(popup->isVisible());
        QCOMPARE(popup->pos(), area->mapToGlobal(QPoint(415, 470)));
        popup->hide();
    }

    void functionKeyLabelsGrowOnHoverAndActOnRelease_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<int>("resting");
        QTest::addColumn<int>("hover");
        QTest::newRow("F1") << "Label90" << 8 << 4;
        QTest::newRow("F2") << "Label91" << 128 << 124;
        QTest::newRow("F4") << "Label92" << 224 << 218;
        QTest::newRow("F5") << "Label93" << 352 << 346;
        QTest::newRow("F6") << "Label94" << 464 << 458;
        QTest::newRow("F9") << "Label95" << 584 << 578;
        QTest::newRow("F12") << "Label96" << 686 << 676;
    }
    void functionKeyLabelsGrowOnHoverAndActOnRelease() {
        QFETCH(QString, label);
        QFETCH(int, resting);
        QFETCH(int, hover);
        auto* l = f.child<QLabel>(label);
        const auto check = [l](int x, int y, int size, QColor colour) {
            QCOMPARE(l->pos(), QPoint(x, y));
            QCOMPARE(l->font().pointSize(), size);
            QVERIFY(l->font().bold());
            QCOMPARE(l->palette().color(QPalette::WindowText), colour);
        };
        check(resting, 2, 8, QColor(0, 0, 0x80));
        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QApplication::sendEvent(l, &enter);
        check(hover, 1, 10, QColor(0, 0, 0xFF));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(l, &leave);
        check(resting, 2, 8, QColor(0, 0, 0x80));
        QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);
    }

    void functionKeyReleaseRunsTheAction_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("item");
        QTest::newRow("F1") << "Label90"
                            << "SpeedButton1"
                            << "";
        QTest::newRow("F2") << "Label91"
                            << "SpeedButton36"
                            << "";
        QTest::newRow("F5") << "Label93"
                            << "SpeedButton22"
                            << "";
        QTest::newRow("F6") << "Label94"
                            << ""
                            << "N5";
        QTest::newRow("F9") << "Label95"
                            << ""
                            << "N12";
        QTest::newRow("F12") << "Label96"
                             << ""
                             << "N2";
    }
    void functionKeyReleaseRunsTheAction() {
        QFETCH(QString, label);
        QFETCH(QString, button);
        QFETCH(QString, item);
        auto* l = f.child<QLabel>(label);
        if (label == "Label90") {
            f.answerAll(2, "СОГЛАСЕН"); // computing the zero geometry is refused
        }
        if (label == "Label91" || label == "Label93" || label == "Label94") {
            f.answerAll(1, "СПАСИБО"); // nothing computed to search or save, nothing to load
        }
        if (label == "Label95") {
            f.answerAll(1, "Отмена"); // delete asks first
        }
        std::unique_ptr<QSignalSpy> spy =
            button.isEmpty()
                ? std::make_unique<QSignalSpy>(action(item), &QAction::triggered)
                : std::make_unique<QSignalSpy>(f.button(button), &QToolButton::clicked);
        QTest::mouseRelease(l, Qt::MiddleButton, {}, QPoint(2, 2)); // any button acts
        QCOMPARE(spy->count(), 1);
    }

    void helpMenuSwitchesNothingOn() {
        action("N29")->trigger(); // "Автозагрузка" off
        QCOMPARE(f.form().state().AutoLoad, 0);
        auto* help = f.form().findChild<QMenu*>("N3");
        help->popup(QPoint(0, 0));
        QTRY_VERIFY(help->isVisible());
        help->hide();
        QCOMPARE(f.form().state().AutoLoad, 0);
        QVERIFY(action("N29")->isChecked());
        QCOMPARE(f.fileBytes("SaveWalz.Bmp"), QByteArray("1 1 0 1\r\n"));
    }

    void aboutShowsTheTeamAndThePhotograph() {
        f.answer([](QDialog& d) {
            QCOMPARE(d.windowTitle(), QString("О программе"));
            QCOMPARE(d.size(), QSize(615, 346));
            const QString text = d.findChild<QTextEdit*>("Memo1")->toPlainText();
            const QStringList lines = text.split('\n');
            QVERIFY(lines.contains("Орбистан"));
            QVERIFY(lines.contains("версия от 26.04.2007г."));
            QVERIFY(lines.contains("РАЗРАБОТЧИКИ ОРБИСТАН"));
            QVERIFY(text.contains("02.06.2001"));
            QVERIFY(!text.contains('@')); // no e-mail address
            const QPixmap photo = d.findChild<QLabel*>("Image1")->pixmap();
            QVERIFY(!photo.isNull());
            QVERIFY(photo.width() <= 122 && photo.height() <= 169);
            QVERIFY(photo.width() == 122 || photo.height() == 169); // scaled to fit
            UiFixture::clickButton(d, "Button1");
        });
        action("N4")->trigger();
    }

    void spectrumWindowShowsAnEmptyChart() {
        action("N64")->trigger();
        QWidget* spectrum = topLevel("TForm16");
        QVERIFY(spectrum && spectrum->isVisible());
        auto* plot = spectrum->findChild<QCustomPlot*>("Chart1");
        auto* title = qobject_cast<QCPTextElement*>(plot->plotLayout()->element(0, 0));
        QVERIFY(title);
        QCOMPARE(title->text(), QString("Спектр"));
        QCOMPARE(plot->graph(0)->pen().color(), QColor(Qt::red));
        QVERIFY(!plot->legend->hasItemWithPlottable(plot->graph(0)));
        QCOMPARE(plot->graph(0)->dataCount(), 0);
        QVERIFY(!plot->legend->visible());
        spectrum->hide();
    }
};

QTEST_MAIN(MenusTest)
#include "menus_test.moc"
