// The bearing base from the main window: standard, type lookup, Clear and Load.
#include "ui_fixture.h"

#include "ui/kit/style.h"

#include "datafiles/bearing_record.h"
#include "platform/cp1251.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <fstream>

using orbistan::BearingRecord;
using orbistan::test::UiFixture;

namespace {

const QColor kNavy(0x00, 0x00, 0x80);
const QColor kBlue(0x00, 0x00, 0xFF);

QWidget* topLevel(const QString& name) {
    return UiFixture::topLevel(name);
}

} // namespace

class BaseTest : public QObject {
    Q_OBJECT

    UiFixture f;

    void store(const QString& folder, const QString& file, const BearingRecord& r) {
        const std::filesystem::path dir = (f.programDir() + "/Basa/" + folder).toStdString();
        QCOMPARE(orbistan::WriteBearingRecord(dir / file.toStdString(), r), 0);
    }
    QColor colour(const char* button) { return orbistan::ui::captionColour(*f.button(button)); }
    QStringList infoLines() {
        return topLevel("TForm13")->findChild<QPlainTextEdit*>("Memo1")->toPlainText().split('\n');
    }

private Q_SLOTS:
    void init() { f.start(); }
    void cleanup() {
        topLevel("TForm13")->hide();
        f.stop();
    }

    void typeLookupShowsTheStoredTypeAndNotes() {
        store("Russian", "6205.Dat",
              {25, 52, 0, 7.938, 9, 2, 1, 2, 0, *orbistan::utf8ToCp1251("  закрытый")});
        f.type("Edit9", " 6205 ");
        f.click("SpeedButton41");
        QWidget* info = topLevel("TForm13");
        QVERIFY(info->isVisible());
        QCOMPARE(info->windowTitle(), QString("Дополнительная информация по подщипнику №6205"));
        QCOMPARE(info->findChild<QGroupBox*>("GroupBox6")->title(), QString("Подшипник № 6205"));
        QCOMPARE(infoLines(), QStringList({"Шариковый однорядный радиальный ", "закрытый"}));
        QCOMPARE(f.edit("Edit9")->text(), QString("6205")); // trimmed first
        QCOMPARE(f.form().state().currentTypeCodes, (std::array<int, 4>{2, 1, 2, 0}));
        QCOMPARE(f.form().state().inputs.dw, 7.938);
    }

    void typeLookupOfAnUnknownBearing() {
        f.type("Edit9", "nothing");
        QTest::keyClick(f.edit("Edit9"), Qt::Key_F7);
        QVERIFY(topLevel("TForm13")->isVisible());
        QCOMPARE(infoLines(), QStringList({"   ", ""}));
        QCOMPARE(f.form().state().currentTypeCodes, (std::array<int, 4>{0, 0, 0, 0}));
    }

    void typeLookupOfAStoredCodeOutsideTheTable() {
        store("Russian", "X.Dat", {25, 52, 0, 7, 9, 9, -1, 4, 3, ""});
        f.type("Edit9", "x");
        f.click("SpeedButton41");
        QCOMPARE(infoLines().value(0), QString("   "));
    }

    void clearKeepsTheLastFrWhenAsked_data() {
        QTest::addColumn<int>("keepFr");
        QTest::addColumn<QString>("fr");
        QTest::addColumn<QColor>("frColour");
        QTest::newRow("keep") << 1 << "25" << kBlue;
        QTest::newRow("reset") << 0 << "0" << kNavy;
    }
    void clearKeepsTheLastFrWhenAsked() {
        QFETCH(int, keepFr);
        QFETCH(QString, fr);
        QFETCH(QColor, frColour);
        f.typeGeometry({"9", "25", "7,938", "52", "25", "0"});
        f.type("Edit9", "6205");
        f.click("SpeedButton1");
        f.action(keepFr ? "N26" : "N25")->trigger();
        f.click("SpeedButton37");
        QCOMPARE(f.edit("Edit2")->text(), fr);
        QCOMPARE(colour("SpeedButton30"), frColour);
        for (const char* field : {"Edit1", "Edit3", "Edit4", "Edit5", "Edit6"}) {
            QCOMPARE(f.edit(field)->text(), QString("0"));
        }
        QCOMPARE(f.edit("Edit9")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), f.edit("Edit9"));
        QCOMPARE(colour("SpeedButton35"), kNavy);
        QCOMPARE(f.edit("Edit10")->text(), QString());
        QCOMPARE(f.edit("Edit22")->text(), QString());
        QCOMPARE(f.form().state().NoResult, 0); // Clear changes no state
    }

    void loadFillsTheFieldsAndRefreshesTheTypeQuietly() {
        store("Russian", "6205%2RS.Dat", {25, 52, 12.5, 7.938, 9, 2, 1, 2, 0, "notes"});
        f.type("Edit9", "6205-2rs");
        QTest::keyClick(f.edit("Edit9"), Qt::Key_F6);
        QCOMPARE(f.edit("Edit1")->text(), QString("9"));
        QCOMPARE(f.edit("Edit3")->text(), QString("7,938"));
        QCOMPARE(f.edit("Edit4")->text(), QString("52"));
        QCOMPARE(f.edit("Edit5")->text(), QString("25"));
        QCOMPARE(f.edit("Edit6")->text(), QString("12,5"));
        QCOMPARE(f.edit("Edit2")->text(), QString()); // nothing computed yet: Fr empty
        QCOMPARE(QApplication::focusWidget(), f.edit("Edit2"));
        QCOMPARE(colour("SpeedButton30"), kNavy);
        for (const char* b : {"SpeedButton29", "SpeedButton33", "SpeedButton32", "SpeedButton31",
                              "SpeedButton34", "SpeedButton35"}) {
            QCOMPARE(colour(b), kBlue);
        }
        QVERIFY(!topLevel("TForm13")->isVisible()); // refreshed, not shown
        QCOMPARE(infoLines(), QStringList({"Шариковый однорядный радиальный ", "notes"}));
        QCOMPARE(f.form().state().QuietTypeRefresh, 0);
        QVERIFY(QString::fromStdString(f.form().state().CurrentFilePath)
                    .endsWith("Russian/6205%2RS.Dat"));
    }

    void loadKeepsTheLastComputedFr() {
        f.typeGeometry({"9", "30", "7,938", "52", "25", "0"});
        f.click("SpeedButton1"); // Fr 30 computed; "Сохранять" is on after the first start
        store("Russian", "6205.Dat", {25, 52, 0, 7.938, 9, 0, 0, 0, 0, ""});
        f.type("Edit9", "6205");
        f.action("N5")->trigger();
        QCOMPARE(f.edit("Edit2")->text(), QString("30"));
        QCOMPARE(colour("SpeedButton30"), kBlue);
        QCOMPARE(f.edit("Edit10")->text(), QString()); // the results are cleared
        f.action("N25")->trigger();                    // "Обнулять"
        f.action("N5")->trigger();
        QCOMPARE(f.edit("Edit2")->text(), QString());
        QCOMPARE(colour("SpeedButton30"), kNavy);
    }

    void theStandardIsOneChoiceInAllThreeWindows() {
        QTest::mouseClick(f.child<QRadioButton>("RadioButton2"), Qt::LeftButton);
        for (const char* window : {"TForm7", "TForm9"}) {
            auto* other = topLevel(window)->findChild<QRadioButton*>("RadioButton18");
            QVERIFY2(other->isChecked(), window);
            QVERIFY(other->styleSheet().contains("#0000ff"));
            QVERIFY(topLevel(window)
                        ->findChild<QRadioButton*>("RadioButton17")
                        ->styleSheet()
                        .contains("#000080"));
        }
    }

    void loadWithAutoClearOfAMissingBearing() {
        f.type("Edit1", "12");
        f.type("Edit9", "404");
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QLabel*>("Label1")->isVisible());
            QVERIFY(!d.findChild<QGroupBox*>("GroupBox1")->isVisible());
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton21"); // the load button
        QCOMPARE(f.edit("Edit1")->text(), QString("0"));
        QCOMPARE(f.edit("Edit9")->text(), QString("404"));
        QCOMPARE(f.edit("Edit5")->text(), QString());
        QCOMPARE(QApplication::focusWidget(), f.edit("Edit5"));
        QCOMPARE(colour("SpeedButton29"), kBlue);
        QCOMPARE(colour("SpeedButton31"), kNavy);
        QCOMPARE(f.edit("Edit2")->text(), QString("0")); // "Сохранять" with no Fr computed
    }

    void loadWithoutAutoClearKeepsTheFields() {
        f.action("N21")->trigger(); // "Автоочистка" off
        f.type("Edit1", "12");
        f.type("Edit9", "404");
        f.answerAll(1, "СПАСИБО");
        f.click("SpeedButton21");
        QCOMPARE(f.edit("Edit1")->text(), QString("12"));
        QCOMPARE(colour("SpeedButton35"), kNavy);
        QCOMPARE(QApplication::focusWidget(), f.edit("Edit5"));
    }

    void loadOfAnUnreadableRecordChangesNothing() {
        std::ofstream((f.programDir() + "/Basa/Russian/7.Dat").toStdString())
            << "25 x 0 7 9 0 0 0 0\r\n";
        f.type("Edit1", "12");
        f.type("Edit9", "7");
        QString shown;
        f.answer([&shown](QDialog& d) {
            shown = static_cast<QMessageBox&>(d).text();
            d.accept();
        });
        f.click("SpeedButton21");
        QCOMPARE(shown, QString("Invalid numeric input"));
        QCOMPARE(f.edit("Edit1")->text(), QString("12"));
    }

    void numberFromTheKeypadLoadsWithAutoLoad() {
        store("Russian", "6205.Dat", {25, 52, 0, 7.938, 9, 2, 1, 2, 0, ""});
        for (const char* key : {"SpeedButton6", "SpeedButton2", "SpeedButton10", "SpeedButton5"}) {
            f.click(key);
        }
        f.click("SpeedButton19"); // "№"
        QCOMPARE(f.edit("Edit9")->text(), QString("6205"));
        QCOMPARE(f.edit("Edit3")->text(), QString("7,938"));
    }

    void theOtherStandardHasItsOwnFolder() {
        store("import", "6205.Dat", {30, 62, 0, 9.525, 9, 0, 0, 0, 0, ""});
        f.type("Edit9", "6205");
        QTest::mouseClick(f.child<QRadioButton>("RadioButton2"), Qt::LeftButton);
        QCOMPARE(f.form().state().CurrentStandard, 0);
        QVERIFY(f.child<QRadioButton>("RadioButton2")->styleSheet().contains("#0000ff"));
        f.action("N5")->trigger();
        QCOMPARE(f.edit("Edit5")->text(), QString("30"));
        QTest::mouseClick(f.child<QRadioButton>("RadioButton1"), Qt::LeftButton);
        QCOMPARE(f.form().state().CurrentStandard, 1);
        f.answerAll(1, "СПАСИБО"); // not stored under "российский"
        f.action("N5")->trigger();
    }
};

QTEST_MAIN(BaseTest)
#include "base_test.moc"
