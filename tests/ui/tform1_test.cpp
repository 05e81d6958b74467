// The main window driven as a user drives it: typing, keypad, "ВЫЧИСЛИТЬ" and the warnings.
#include "ui_fixture.h"

#include "ui/kit/style.h"

#include "calc/messages.h"
#include "ui/dialogs/TForm8.h"
#include "ui/kit/application.h"
#include "ui/kit/spectrum_workbench.h"
#include "ui/main/workbench_library.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QTranslator>

using orbistan::test::UiFixture;

namespace {

const QColor kNavy(0x00, 0x00, 0x80);

// Whether a shared library whose file name begins so is mapped into this process.
bool mapped(const char* library) {
    QFile maps("/proc/self/maps");
    return maps.open(QIODevice::ReadOnly) &&
           maps.readAll().contains(QByteArray("/") + QByteArray(library));
}

QWidget* topLevel(const QString& name) {
    return UiFixture::topLevel(name);
}
const QColor kBlue(0x00, 0x00, 0xFF);

// What a screen reader says for a control.
QString spokenName(QWidget* w) {
    QAccessibleInterface* i = QAccessible::queryAccessibleInterface(w);
    return i ? i->text(QAccessible::Name) : QString();
}

QString shownText(QWidget* w) {
    if (auto* l = qobject_cast<QLabel*>(w)) {
        return l->text().trimmed();
    }
    if (auto* b = qobject_cast<QAbstractButton*>(w)) {
        return b->text().remove('&').trimmed();
    }
    if (auto* g = qobject_cast<QGroupBox*>(w)) {
        return g->title().trimmed();
    }
    return {};
}

// Every control can be found by its name, and a control that shows words is spoken as it
// reads (a one-character caption such as "▲" or "В" may say what it does instead).
void expectSpokenAsShown(QWidget& window) {
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (w->objectName().isEmpty() || w->objectName().startsWith("qt_") ||
            w->objectName() == "centralwidget") {
            continue;
        }
        const QString where = window.objectName() + "." + w->objectName();
        const QString shown = shownText(w);
        if (where == "TForm2.Label1") {
            // Its "w" is a label of its own, lowered into the gap after "D": the name says
            // what the eye reads.
            QCOMPARE(spokenName(w), QString(orbistan::text::kNotPositiveLine));
        } else if (shown.size() > 1 && std::any_of(shown.begin(), shown.end(),
                                                   [](QChar c) { return c.isLetterOrNumber(); })) {
            QCOMPARE(spokenName(w).trimmed(), shown);
        } else if (!qobject_cast<QLabel*>(w)) {
            QVERIFY2(!spokenName(w).isEmpty(), qPrintable(where));
        }
        // Described in words, never by the name it has in the code.
        QVERIFY2(w->accessibleDescription() != w->objectName(),
                 qPrintable(where + " [" + w->accessibleDescription() + "/" + w->toolTip() + "]"));
        QCOMPARE(w->accessibleDescription(), w->toolTip());
    }
}

QColor captionColour(QToolButton* b) {
    return orbistan::ui::captionColour(*b);
}

// The two field-name buttons of each field.
const QList<QPair<QString, QPair<QString, QString>>> kPairs = {
    {"Edit1", {"SpeedButton35", "SpeedButton13"}}, {"Edit2", {"SpeedButton30", "SpeedButton16"}},
    {"Edit3", {"SpeedButton34", "SpeedButton14"}}, {"Edit4", {"SpeedButton32", "SpeedButton17"}},
    {"Edit5", {"SpeedButton31", "SpeedButton15"}}, {"Edit6", {"SpeedButton33", "SpeedButton18"}},
    {"Edit9", {"SpeedButton29", "SpeedButton19"}}};

const QStringList kResultFields = {"Edit10", "Edit11", "Edit12", "Edit13", "Edit14", "Edit15",
                                   "Edit16", "Edit22", "Edit19", "Edit49", "Edit40", "Edit37",
                                   "Edit28", "Edit25", "Edit46", "Edit43", "Edit34", "Edit31",
                                   "Edit60", "Edit56", "Edit64"};

} // namespace

class TForm1Test : public QObject {
    Q_OBJECT

    UiFixture f;

    void typeGeometry(const QStringList& zFrDwDdA) { f.typeGeometry(zFrDwDdA); }
    QStringList resultTexts() {
        QStringList texts;
        for (const QString& name : kResultFields) {
            texts << f.edit(name)->text();
        }
        return texts;
    }

private Q_SLOTS:
    void init() { f.start(); }
    void cleanup() { f.stop(); }

    void startsWithTheDesignedState() {
        auto& w = f.form();
        QCOMPARE(w.windowTitle(),
                 QString("Орбистан (автор разработчики Орбистан, версия от- 26.04.2007)"));
        QCOMPARE(w.centralWidget()->size(), QSize(760, 483));
        for (const char* name : {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"}) {
            QCOMPARE(f.edit(name)->text(), QString("0"));
        }
        QCOMPARE(f.edit("Edit9")->text(), QString());
        QCOMPARE(f.edit("Edit8")->text(), QString());
        QCOMPARE(f.edit("Edit48")->text(), QString("0"));
        QVERIFY(!f.edit("Edit48")->isVisible());
        for (const auto& p : kPairs) {
            QCOMPARE(captionColour(f.button(p.second.first)), kNavy);
            QCOMPARE(captionColour(f.button(p.second.second)), kNavy);
        }
        QCOMPARE(w.state().NoResult, 1);
        QCOMPARE(w.state().CurrentStandard, 1);
        QVERIFY(!f.button("SpeedButton40")->isEnabled());
        QCOMPARE(QString::fromStdString(w.state().ProgramDir), QDir::currentPath());
        for (const char* sub : {"Basa/Group", "Basa/import", "Basa/Russian"}) {
            QVERIFY2(QDir(f.programDir()).exists(sub), sub);
        }
    }

    void closingTheMainWindowEndsTheProgram() {
        QVERIFY(!f.form().windowIcon().isNull());
        QEventLoop loop; // stands for the program's event loop
        QTimer::singleShot(0, &f.form(), [this] { f.form().close(); });
        QTimer::singleShot(5000, &loop, [&loop] { loop.exit(1); });
        QCOMPARE(loop.exec(), 0);
        QVERIFY(!f.form().isVisible());
    }

    // The spectrum window and its libraries wait until the window is first asked for: the
    // calculator starts without them.
    void theSpectrumWindowIsMadeWhenFirstAskedFor() {
        QVERIFY(!topLevel("TForm16"));
        for (const char* library :
             {"liborbistan_workbench", "libsndfile", "libmatio", "libfftw3", "libQCustomPlot"}) {
            QVERIFY2(!mapped(library), library);
        }
        QWidget* spectrum = f.form().spectrumWindow()->widget();
        QCOMPARE(topLevel("TForm16"), spectrum);
        QVERIFY(!spectrum->isVisible());
        QCOMPARE(f.form().spectrumWindow()->widget(), spectrum); // once
        for (const char* library : {"liborbistan_workbench", "libsndfile", "libfftw3"}) {
            QVERIFY2(mapped(library), library);
        }
        f.action("N64")->trigger();
        QVERIFY(spectrum->isVisible());
        spectrum->hide();
    }

    // A spectrum window library that is missing or damaged is named, and nothing opens.
    void aMissingOrDamagedSpectrumLibraryIsNamed() {
        const QString dir = f.programDir();
        const QStringList places = orbistan::ui::workbenchLibraryPlaces(dir);
        QCOMPARE(places.size(), 3);
        QVERIFY(places[0].startsWith(dir + "/") && places[0].endsWith(".so"));
        orbistan::ui::WorkbenchLibrary none =
            orbistan::ui::openWorkbenchLibrary({dir + "/nothing.so"});
        QVERIFY(!none.create);
        QVERIFY2(none.error.contains("не найдена"), qPrintable(none.error));
        QFile damaged(dir + "/damaged.so");
        QVERIFY(damaged.open(QIODevice::WriteOnly) && damaged.write("not a library") > 0);
        damaged.close();
        orbistan::ui::WorkbenchLibrary broken =
            orbistan::ui::openWorkbenchLibrary({dir + "/nothing.so", damaged.fileName()});
        QVERIFY(!broken.create);
        QVERIFY2(broken.error.contains(damaged.fileName()) &&
                     broken.error.contains("не загружается"),
                 qPrintable(broken.error));
    }

    void createsEveryWindowWithItsCaptionAndSize() {
        f.form().spectrumWindow();
        const QList<std::tuple<QString, QString, QSize>> expected = {
            {"TForm2", "Обратите внимание!!!", {505, 107}},
            {"TForm3", "Обратите внимание!!!", {504, 108}},
            {"TForm4", "О программе", {615, 346}},
            {"TForm5", "Обратите внимание!!!", {505, 107}},
            {"TForm6", "Обратите внимание!!!", {}},
            {"TForm7", "СОХРАНЕНИЕ", {}},
            {"TForm9", "ПЕРЕЗАПИСЬ", {}},
            {"TForm8", "Обратите внимание!!!", {462, 96}},
            {"TForm10", "Результаты по подшипнику №", {795, 514}},
            {"TForm11", "Обратите внимание !!!", {}},
            {"TForm12", "ВНИМАНИЕ ! ! !", {402, 70}},
            {"TForm13", "Дополнительная информация", {546, 161}},
            {"TForm14", "ЗАГРУЗКА ГРУППЫ ПОДШИПНИКОВ", {321, 110}},
            {"TForm15", "ВНИМАНИЕ!!!", {}},
            {"TForm16", "Спектр", {829, 572}},
        };
        QStringList created;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            created << top->objectName();
        }
        for (const auto& [name, caption, size] : expected) {
            QWidget* window = nullptr;
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() == name) {
                    QVERIFY2(!window, qPrintable("two windows " + name));
                    window = top;
                }
            }
            QVERIFY2(window, qPrintable("missing " + name + " among " + created.join(",")));
            QCOMPARE(window->windowTitle(), caption);
            QVERIFY2(!window->isVisible(), qPrintable(name));
            if (size.isValid()) {
                QCOMPARE(window->size(), size);
            }
        }
    }

    void everyControlCanBeFoundByAssistiveTechnology() {
        f.form().spectrumWindow();
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (top->objectName().startsWith("TForm")) {
                expectSpokenAsShown(*top);
            }
        }
        QCOMPARE(spokenName(f.edit("Edit21")), QString("Fo+Fq, множитель 2"));
        QCOMPARE(spokenName(f.edit("Edit10")), QString("Fo"));
        QCOMPARE(spokenName(f.edit("Edit3")), QString("dw"));
        f.click("SpeedButton53"); // a caption that changes is spoken as it now reads
        QCOMPARE(spokenName(f.button("SpeedButton53")), QString("Автопоиск"));
    }

    void warningsAreSpokenAsTheyRead_data() {
        QTest::addColumn<QStringList>("geometry");
        QTest::newRow("TForm2") << QStringList{"0", "25", "7", "52", "25", "0"};
        QTest::newRow("TForm3") << QStringList{"9", "25", "7", "25", "25", "0"};
        QTest::newRow("TForm5") << QStringList{"9", "25", "7", "52", "25", "-5"};
        QTest::newRow("TForm8") << QStringList{"9", "x", "7", "52", "25", "0"};
    }
    void warningsAreSpokenAsTheyRead() {
        QFETCH(QStringList, geometry);
        typeGeometry(geometry);
        f.answer([](QDialog& d) {
            QCOMPARE(d.objectName(), QString(QTest::currentDataTag()));
            expectSpokenAsShown(d);
            d.reject();
        });
        f.click("SpeedButton1");
    }

    void enterPressesTheFocusedButton() {
        typeGeometry({"0", "25", "7", "52", "25", "0"});
        f.answer([](QDialog& d) {
            QVERIFY(QTest::qWaitForWindowActive(&d));
            auto* disagree = d.findChild<QWidget*>("Button2");
            disagree->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_VERIFY(!disagree->isVisible()); // «НЕ СОГЛАСЕН» was pressed
            auto* agree = d.findChild<QWidget*>("Button3");
            QVERIFY(agree->isVisible());
            agree->setFocus();
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter);
            QTRY_VERIFY(!d.isVisible());
        });
        f.click("SpeedButton1");
    }

    void windowTitlesAreTheCaptionsAlone() {
        orbistan::ui::setUpApplication(*qApp);
        // Qt appends an application display name, when one is set, to every title a desktop
        // shows; unset, it follows the application name.
        const QString name = QCoreApplication::applicationName();
        QCoreApplication::setApplicationName("probe");
        QCOMPARE(QGuiApplication::applicationDisplayName(), QString("probe"));
        QCoreApplication::setApplicationName(name);
        delete qApp->findChild<QTranslator*>(); // the other tests keep Qt's English
    }

    void windowsOpenCentredOnTheDesktop() {
        const QPoint centre = QGuiApplication::primaryScreen()->availableGeometry().center();
        const auto expectCentred = [centre](QWidget& w) {
            const QPoint off = w.geometry().center() - centre;
            QVERIFY2(std::abs(off.x()) <= 2 && std::abs(off.y()) <= 2, // rounding of halves
                     qPrintable(w.objectName() + " is off centre by " + QString::number(off.x()) +
                                "," + QString::number(off.y())));
        };
        // The results window, shown by a search with two hits of one combination.
        typeGeometry({"9", "25", "7,938", "52", "25", "0"});
        f.click("SpeedButton1");
        f.type("Edit8", "245,37");
        f.type("Edit7", "3");
        f.click("SpeedButton36");
        QWidget* results = UiFixture::topLevel("TForm10");
        QVERIFY(results->isVisible());
        expectCentred(*results);
        // The warnings and messages.
        typeGeometry({"0", "25", "7", "52", "25", "0"});
        f.answer([&](QDialog& d) {
            expectCentred(d);
            d.reject();
        });
        f.click("SpeedButton1");
    }

    void receivedTextsShowTheirStart() {
        f.form().state().Precision = -1;
        typeGeometry({"9", "25", "7,938", "52", "25", "0"});
        f.click("SpeedButton1");
        f.type("Edit8", "0,0001");
        f.click("SpeedButton28"); // a multiplier receives the keypad value
        for (const QString& name : kResultFields + QStringList{"Edit39"}) {
            QLineEdit* e = f.edit(name);
            QCOMPARE(e->cursorPosition(), 0);
            QAccessibleTextInterface* text =
                QAccessible::queryAccessibleInterface(e)->textInterface();
            QCOMPARE(text->cursorPosition(), 0);
        }
        QCOMPARE(f.edit("Edit10")->text(), QString("89,3045454545455"));
        // Typing keeps the cursor where the user types.
        f.type("Edit2", "1234");
        QCOMPARE(f.edit("Edit2")->cursorPosition(), 4);
    }

    void computesTheExampleBearing() {
        f.form().state().Precision = 100;
        typeGeometry({"9", "25", "7,938", "52", "25", "0"});
        for (const auto& p : kPairs.mid(0, 6)) {
            QCOMPARE(captionColour(f.button(p.second.first)), kBlue);
        }
        f.click("SpeedButton1");
        QCOMPARE(resultTexts(),
                 QStringList({"89,3",   "135,7",  "58,05", "9,92",  "89,3",  "135,7", "47,87",
                              "99,23",  "79,38",  "34,92", "83,05", "33,05", "160,7", "110,7",
                              "150,77", "120,62", "67,97", "48,13", "114,3", "64,3",  "15,08"}));
        for (const auto& p : kPairs) {
            QCOMPARE(captionColour(f.button(p.second.first)), kNavy);
            QCOMPARE(captionColour(f.button(p.second.second)), kNavy);
        }
        QCOMPARE(QApplication::focusWidget(), f.edit("Edit8"));
        QCOMPARE(f.form().state().NoResult, 0);
        QCOMPARE(f.form().state().LastComputedFr, 25.0);
        QCOMPARE(f.form().state().inputs.Dm, 38.5);
        QVERIFY(f.button("SpeedButton40")->isEnabled());
        QVERIFY(f.shownWindows().isEmpty());

        // The same input again gives identical texts.
        const QStringList first = resultTexts();
        f.click("SpeedButton1");
        QCOMPARE(resultTexts(), first);
    }

    void recolouringMintsNoPalettes() {
        // Each new palette is a new key in the style's pixmap cache: memory grew per computation.
        const qint64 before = f.button("SpeedButton35")->palette().cacheKey();
        for (const char* z : {"9", "10", "9"}) {
            typeGeometry({z, "25", "7,938", "52", "25", "0"});
            QCOMPARE(captionColour(f.button("SpeedButton35")), kBlue);
            f.click("SpeedButton1");
            QCOMPARE(captionColour(f.button("SpeedButton35")), kNavy);
        }
        QCOMPARE(f.button("SpeedButton35")->palette().cacheKey(), before);
    }

    void withoutRoundingShowsFifteenDigits() {
        typeGeometry({"9", "25", "7.938", "52", "25", "0"});
        f.click("SpeedButton1");
        QCOMPARE(f.edit("Edit10")->text(), QString("89,3045454545455"));
    }

    void multipliersTypedByTheUserAreUsed() {
        f.form().state().Precision = 100;
        typeGeometry({"9", "25", "7,938", "52", "25", "0"});
        f.type("Edit17", "0"); // Fo-Fq with k1 = 0 shows -Fq
        f.click("SpeedButton1");
        QCOMPARE(f.edit("Edit19")->text(), QString("-9,92"));
    }

    void keypadTypesAndTransfers() {
        f.click("SpeedButton3");
        f.click("SpeedButton12");
        f.click("SpeedButton5");
        QCOMPARE(f.edit("Edit8")->text(), QString("3,5"));
        f.click("SpeedButton13"); // "Z" of the keypad
        QCOMPARE(f.edit("Edit1")->text(), QString("3,5"));
        QCOMPARE(f.edit("Edit8")->text(), QString());
        QCOMPARE(captionColour(f.button("SpeedButton13")), kBlue);
        QCOMPARE(captionColour(f.button("SpeedButton35")), kBlue);
        QCOMPARE(captionColour(f.button("SpeedButton16")), kNavy); // Fr untouched
        QCOMPARE(f.form().state().keypad.LastKeypadText, std::string("3,5"));
        QCOMPARE(f.form().state().keypad.LastTransferTarget, 13);
    }

    void everyFieldButtonTransfersIntoItsField_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("field");
        QTest::addColumn<int>("code");
        for (const auto& p : kPairs) {
            const int code =
                QStringList({"Edit1", "Edit3", "Edit5", "Edit2", "Edit4", "Edit6", "Edit9"})
                    .indexOf(p.first) +
                13;
            QTest::addRow("%s", qPrintable(p.second.first)) << p.second.first << p.first << code;
            QTest::addRow("%s", qPrintable(p.second.second)) << p.second.second << p.first << code;
        }
    }
    void everyFieldButtonTransfersIntoItsField() {
        QFETCH(QString, button);
        QFETCH(QString, field);
        QFETCH(int, code);
        if (field == "Edit9") {
            f.answerAll(1, "СПАСИБО"); // "Автозагрузка" looks the number up: not stored
        }
        f.click("SpeedButton7");
        f.click(button);
        QCOMPARE(f.edit(field)->text(), QString("7"));
        QCOMPARE(f.form().state().keypad.LastTransferTarget, code);
    }

    void transferFromAnEmptyDisplayChangesNothing() {
        f.click("SpeedButton16");
        QCOMPARE(f.edit("Edit2")->text(), QString("0"));
        QCOMPARE(captionColour(f.button("SpeedButton16")), kNavy);
        QCOMPARE(f.form().state().keypad.LastKeypadText, std::string());
        QCOMPARE(f.form().state().keypad.LastTransferTarget, 0);
    }

    void resetKeepsTheTextForReturn() {
        f.click("SpeedButton2");
        f.click("SpeedButton16"); // 2 into Fr
        f.click("SpeedButton4");
        f.click("SpeedButton20");
        QCOMPARE(f.edit("Edit8")->text(), QString());
        QCOMPARE(f.form().state().keypad.LastKeypadText, std::string("4"));
        QCOMPARE(f.form().state().keypad.LastTransferTarget, 16);
        f.click("SpeedButton20"); // an empty display leaves the memory alone
        QCOMPARE(f.form().state().keypad.LastKeypadText, std::string("4"));
    }

    void restartFlagMakesTheNextKeyStartANewNumber() {
        f.click("SpeedButton9");
        f.edit("Edit48")->setText("1");
        f.click("SpeedButton11");
        QCOMPARE(f.edit("Edit8")->text(), QString("1"));
        QCOMPARE(f.edit("Edit48")->text(), QString("0"));
        f.click("SpeedButton10");
        QCOMPARE(f.edit("Edit8")->text(), QString("10"));
    }

    void bearingNumberColoursAndLoneBlank() {
        f.type("Edit9", "6205");
        QCOMPARE(captionColour(f.button("SpeedButton29")), kBlue);
        QCOMPARE(captionColour(f.button("SpeedButton19")), kBlue);
        f.type("Edit9", " ");
        QCOMPARE(f.edit("Edit9")->text(), QString());
        QCOMPARE(captionColour(f.button("SpeedButton29")), kNavy);
        QCOMPARE(captionColour(f.button("SpeedButton19")), kNavy);
    }

    void computeTrimsTheBearingNumber_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("trimmed");
        QTest::newRow("blanks") << "  6205  "
                                << "6205";
        QTest::newRow("sixty") << QString(60, 'A') << QString(50, 'A');
        QTest::newRow("cyrillic") << " шп-204 "
                                  << "шп-204";
    }
    void computeTrimsTheBearingNumber() {
        QFETCH(QString, typed);
        QFETCH(QString, trimmed);
        f.edit("Edit9")->setText(typed); // as pasted: the field has no length limit
        f.answerAll(2, "СОГЛАСЕН");      // the zero geometry is refused, the trim happens first
        f.click("SpeedButton1");
        QCOMPARE(f.edit("Edit9")->text(), trimmed);
    }

    void theNumberFieldNeverHoldsAControlCharacter_data() {
        QTest::addColumn<QString>("way");
        QTest::addColumn<QString>("text");
        for (const char* way :
             {"pasted", "set", "accessible value", "accessible replace", "accessible insert"}) {
            QTest::newRow(qPrintable(QString(way) + " line break")) << way << "AB\nCD";
            QTest::newRow(qPrintable(QString(way) + " NUL"))
                << way << QString::fromLatin1("62\0 05", 6);
            QTest::newRow(qPrintable(QString(way) + " tab")) << way << "62\t05";
            QTest::newRow(qPrintable(QString(way) + " snowman")) << way << "63☃05";
        }
    }
    void theNumberFieldNeverHoldsAControlCharacter() {
        QFETCH(QString, way);
        QFETCH(QString, text);
        f.type("Edit9", "6205");
        QLineEdit* number = f.edit("Edit9");
        QAccessibleInterface* acc = QAccessible::queryAccessibleInterface(number);
        number->selectAll();
        if (way == "pasted") {
            QApplication::clipboard()->setText(text);
            number->paste();
        } else if (way == "set") {
            number->setText(text); // as a loaded text arrives
        } else if (way == "accessible value") {
            acc->setText(QAccessible::Value, text);
        } else if (way == "accessible replace") {
            acc->editableTextInterface()->replaceText(0, 4, text);
        } else {
            acc->editableTextInterface()->insertText(2, text);
        }
        QCOMPARE(number->text(), QString("6205"));
        QCOMPARE(acc->text(QAccessible::Value), QString("6205"));
    }

    void fieldsRefuseWhatTheCodePageCannotHold() {
        f.type("Edit9", "62日05");
        QCOMPARE(f.edit("Edit9")->text(), QString("6205"));
        f.type("Edit9", "ШП-ё");
        QCOMPARE(f.edit("Edit9")->text(), QString("ШП-ё"));
    }

    void rangeWarningsComeInOrder_data() {
        QTest::addColumn<QStringList>("geometry");
        QTest::addColumn<QStringList>("windows");
        QTest::newRow("D equals d")
            << QStringList{"9", "25", "7", "25", "25", "0"} << QStringList{"orbistan::ui::TForm3"};
        QTest::newRow("D below d, negative angle")
            << QStringList{"9", "25", "7", "20", "25", "-5"}
            << QStringList{"orbistan::ui::TForm3", "orbistan::ui::TForm5"};
        QTest::newRow("all zero") << QStringList{"0", "0", "0", "0", "0", "0"}
                                  << QStringList{"orbistan::ui::TForm3", "orbistan::ui::TForm2"};
        QTest::newRow("all three")
            << QStringList{"9", "25", "0", "20", "25", "-1"}
            << QStringList{"orbistan::ui::TForm3", "orbistan::ui::TForm5", "orbistan::ui::TForm2"};
        QTest::newRow("lone comma")
            << QStringList{",", "25", "7", "52", "25", "0"} << QStringList{"orbistan::ui::TForm2"};
    }
    void rangeWarningsComeInOrder() {
        QFETCH(QStringList, geometry);
        QFETCH(QStringList, windows);
        // A standing result stays on screen after a range failure.
        typeGeometry({"9", "25", "7,938", "52", "25", "0"});
        f.click("SpeedButton1");
        const QStringList before = resultTexts();
        typeGeometry(geometry);
        f.answerAll(windows.size(), "СОГЛАСЕН");
        f.click("SpeedButton1");
        QCOMPARE(f.shownWindows(), windows);
        QCOMPARE(f.form().state().NoResult, 1);
        QCOMPARE(resultTexts(), before);
        QCOMPARE(captionColour(f.button("SpeedButton35")), kBlue); // not a success
    }

    void unreadableInputClearsTheResults_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::newRow("empty field") << "Edit2"
                                     << "";
        QTest::newRow("negative with comma") << "Edit6"
                                             << "-1,5";
        QTest::newRow("blank then comma") << "Edit3"
                                          << " 7,9";
        QTest::newRow("emptied multiplier") << "Edit65"
                                            << "";
        QTest::newRow("beyond a real") << "Edit4"
                                       << "1e400";
    }
    void unreadableInputClearsTheResults() {
        QFETCH(QString, field);
        QFETCH(QString, text);
        typeGeometry({"9", "25", "7,938", "52", "25", "0"});
        f.click("SpeedButton1");
        f.type(field, text);
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QGroupBox*>("GroupBox1")->isVisible());
            QVERIFY(!d.findChild<QGroupBox*>("GroupBox2")->isVisible());
            QCOMPARE(d.findChild<QLabel*>("Label1")->text(),
                     QString(orbistan::text::kEnterDataCorrectly));
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton1");
        QCOMPARE(f.shownWindows(), QStringList{"orbistan::ui::TForm8"});
        QCOMPARE(f.form().state().NoResult, 1);
        QCOMPARE(resultTexts(), QStringList(21, QString()));
        QCOMPARE(f.edit(field)->text(), text); // the input stays as typed
    }

    void extremeResultsAreRefusedNotShownAsInfinity() {
        typeGeometry({"1e300", "1e300", "1", "3", "1", "0"});
        f.answerAll(1, "СПАСИБО");
        f.click("SpeedButton1");
        QCOMPARE(f.shownWindows(), QStringList{"orbistan::ui::TForm8"});
        QCOMPARE(f.form().state().NoResult, 1);
        for (const QString& t : resultTexts()) {
            QVERIFY2(!t.contains("inf", Qt::CaseInsensitive) &&
                         !t.contains("nan", Qt::CaseInsensitive),
                     qPrintable(t));
        }
    }

    void disagreeingAnswersThenRestores() {
        typeGeometry({"9", "0", "7", "52", "25", "0"});
        f.answer([](QDialog& d) {
            UiFixture::clickButton(d, "Button2"); // "НЕ СОГЛАСЕН"
            QVERIFY(d.isVisible());
            auto* fool = d.findChild<QLabel*>("Label3");
            QVERIFY(fool->isVisible());
            QCOMPARE(fool->text(), QString("НУ И БАЛБЕС ! ! !"));
            QVERIFY(!d.findChild<QLabel*>("Label1")->isVisible());
            QVERIFY(!d.findChild<QLabel*>("Label2")->isVisible()); // the "w"
            QVERIFY(!d.findChild<QWidget*>("Button1")->isVisible());
            QVERIFY(!d.findChild<QWidget*>("Button2")->isVisible());
            UiFixture::clickButton(d, "Button3"); // the single "СОГЛАСЕН"
        });
        f.click("SpeedButton1");
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QLabel*>("Label1")->isVisible());
            QCOMPARE(d.findChild<QLabel*>("Label2")->text(), QString("w"));
            QVERIFY(d.findChild<QWidget*>("Button1")->isVisible());
            QVERIFY(d.findChild<QWidget*>("Button2")->isVisible());
            QVERIFY(!d.findChild<QLabel*>("Label3")->isVisible());
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton1");
        QCOMPARE(f.shownWindows(), QStringList({"orbistan::ui::TForm2", "orbistan::ui::TForm2"}));
    }

    void outerDiameterWarningAlsoAnswersDisagreement() {
        typeGeometry({"9", "25", "7", "25", "25", "0"});
        f.answer([](QDialog& d) {
            QCOMPARE(d.findChild<QLabel*>("Label1")->text(),
                     QString("Наружный диаметр подшипника "));
            QCOMPARE(d.findChild<QLabel*>("Label2")->text(),
                     QString("не может быть меньше или равен внутреннему ! ! !"));
            UiFixture::clickButton(d, "Button2");
            UiFixture::clickButton(d, "Button3");
        });
        f.answer([](QDialog& d) { UiFixture::clickButton(d, "Button1"); });
        f.click("SpeedButton1");
        f.click("SpeedButton1");
    }

    void escapeLeavesWarningsInTheirFirstState() {
        typeGeometry({"9", "0", "7", "52", "25", "0"});
        f.answer([](QDialog& d) {
            UiFixture::clickButton(d, "Button2");
            QTest::keyClick(&d, Qt::Key_Escape);
        });
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QWidget*>("Button2")->isVisible());
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton1");
        f.click("SpeedButton1");
    }

    void secondMessageIsHiddenAgainByThanks() {
        auto* form8 = qobject_cast<orbistan::ui::TForm8*>([] {
            for (QWidget* top : QApplication::topLevelWidgets()) {
                if (top->objectName() == "TForm8") {
                    return top;
                }
            }
            return static_cast<QWidget*>(nullptr);
        }());
        QVERIFY(form8);
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QGroupBox*>("GroupBox2")->isVisible());
            QCOMPARE(d.findChild<QLabel*>("Label2")->text(),
                     QString("Не был выполнен расчет с новыми данными"));
            UiFixture::clickButton(d, "Button1");
            QVERIFY(!d.findChild<QGroupBox*>("GroupBox2")->isVisibleTo(&d));
        });
        form8->showNotComputed();
        f.answer([](QDialog& d) {
            QVERIFY(!d.findChild<QGroupBox*>("GroupBox2")->isVisible());
            UiFixture::clickButton(d, "Button1");
        });
        form8->showEnterCorrectly();
    }
};

QTEST_MAIN(TForm1Test)
#include "tform1_test.moc"
