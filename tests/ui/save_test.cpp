// Saving, overwriting and deleting bearings through the real windows, checked by the files.
#include "ui_fixture.h"

#include "datafiles/bearing_record.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"

#include <QApplication>
#include <QClipboard>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>

#include <sys/stat.h>

using orbistan::BearingRecord;
using orbistan::test::UiFixture;

namespace {

QPlainTextEdit* memo(QDialog& d) {
    return d.findChild<QPlainTextEdit*>("Memo1");
}

void choose(QDialog& d, const char* radio) {
    QTest::mouseClick(d.findChild<QRadioButton*>(radio), Qt::LeftButton, {}, QPoint(4, 8));
}

} // namespace

class SaveTest : public QObject {
    Q_OBJECT

    UiFixture f;

    std::filesystem::path record(const char* folder, const char* file) {
        return std::filesystem::path(f.programDir().toStdString()) / "Basa" / folder / file;
    }
    std::string bytes(const char* folder, const char* file) {
        return orbistan::readWholeFile(record(folder, file)).value_or("<missing>");
    }
    void compute(const QString& number, const QStringList& zFrDwDdA) {
        f.typeGeometry(zFrDwDdA);
        f.type("Edit9", number);
        f.click("SpeedButton1");
        QCOMPARE(f.form().state().NoResult, 0);
    }
    void expectRestingFlags() {
        QCOMPARE(f.edit("Edit52")->text(), QString("1"));
        QCOMPARE(f.edit("Edit53")->text(), QString("1"));
    }

private Q_SLOTS:
    void init() { f.start(); }
    void cleanup() { f.stop(); }

    void saveANewBearing() {
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.answer([](QDialog& d) {
            QCOMPARE(d.windowTitle(), QString("СОХРАНЕНИЕ"));
            QCOMPARE(d.findChild<QLineEdit*>("Edit1")->text(), QString("6205"));
            for (const char* none :
                 {"RadioButton10", "RadioButton11", "RadioButton12", "RadioButton13"}) {
                QVERIFY(d.findChild<QRadioButton*>(none)->isChecked());
            }
            QCOMPARE(memo(d)->toPlainText(), QString());
            choose(d, "RadioButton2"); // Шариковый
            choose(d, "RadioButton3"); // Однорядный
            choose(d, "RadioButton6"); // Радиальный
            memo(d)->setPlainText("abc\ndef");
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton22"); // the keypad group's save button
        QCOMPARE(
            bytes("Russian", "6205.Dat"),
            std::string(" 2.50000000000000E+0001  5.20000000000000E+0001  0.00000000000000E+0000 "
                        " 7.93800000000000E+0000  9.00000000000000E+0000 2 1 2 0 abcdef\r\n"));
        expectRestingFlags();
        QCOMPARE(f.form().state().currentTypeCodes, (std::array<int, 4>{2, 1, 2, 0}));
    }

    void cancelWritesNothing() {
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.answerAll(1, "Отмена");
        QTest::keyClick(f.edit("Edit8"), Qt::Key_F5);
        QCOMPARE(bytes("Russian", "6205.Dat"), std::string("<missing>"));
        expectRestingFlags();
    }

    void refusedAfterAnEdit() {
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.type("Edit3", "8");
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QGroupBox*>("GroupBox2")->isVisible());
            UiFixture::clickButton(d, "Button1");
        });
        f.action("N6")->trigger();
        QCOMPARE(bytes("Russian", "6205.Dat"), std::string("<missing>"));
    }

    void overwriteShowsTheStoredValuesInRed() {
        QCOMPARE(orbistan::WriteBearingRecord(record("Russian", "6205.Dat"),
                                              {25, 52, 0, 7.5, 9, 1, 2, 3, 1, "  old"}),
                 0);
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.answer([](QDialog& d) {
            QCOMPARE(d.windowTitle(), QString("ПЕРЕЗАПИСЬ"));
            QCOMPARE(d.findChild<QLineEdit*>("Edit1")->text(), QString("6205"));
            const std::pair<const char*, const char*> labels[] = {{"Label3", "d=25 мм"},
                                                                  {"Label5", "D=52 мм"},
                                                                  {"Label7", "a=0°"},
                                                                  {"Label8", "dw=7,5 мм"},
                                                                  {"Label9", "Z=9 шт"}};
            for (const auto& [name, text] : labels) {
                QCOMPARE(d.findChild<QLabel*>(name)->text(), QString(text));
            }
            const auto red = [&d](const char* name) {
                return d.findChild<QLabel*>(name)->palette().color(QPalette::WindowText) ==
                       QColor(255, 0, 0);
            };
            QVERIFY(red("Label8"));
            QVERIFY(!red("Label3") && !red("Label9"));
            QVERIFY(d.findChild<QRadioButton*>("RadioButton1")->isChecked()); // stored codes
            QVERIFY(d.findChild<QRadioButton*>("RadioButton7")->isChecked());
            QCOMPARE(memo(d)->toPlainText(), QString("old"));
            choose(d, "RadioButton9"); // Сферический
            memo(d)->setPlainText("new");
            UiFixture::clickButton(d, "Button2"); // "Перезапись"
        });
        f.click("SpeedButton22");
        QCOMPARE(
            bytes("Russian", "6205.Dat"),
            std::string(" 2.50000000000000E+0001  5.20000000000000E+0001  0.00000000000000E+0000 "
                        " 7.93800000000000E+0000  9.00000000000000E+0000 1 2 3 2 new\r\n"));
        expectRestingFlags();
    }

    void aStoredCodeOutsideTheTableIsNotWrittenBack() {
        QCOMPARE(orbistan::WriteBearingRecord(record("Russian", "6205.Dat"),
                                              {25, 52, 0, 7.938, 9, 9, 1, 2, 0, ""}),
                 0);
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QRadioButton*>("RadioButton10")->isChecked()); // "Не указывать"
            UiFixture::clickButton(d, "Button2");
        });
        f.click("SpeedButton22");
        QCOMPARE(orbistan::ReadBearingRecord(record("Russian", "6205.Dat")).record.kind, 0);
    }

    void overwriteCancelKeepsTheRecord() {
        const BearingRecord stored{25, 52, 0, 7.5, 9, 1, 2, 3, 1, "old"};
        QCOMPARE(orbistan::WriteBearingRecord(record("Russian", "6205.Dat"), stored), 0);
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.answerAll(1, "Отмена");
        f.click("SpeedButton22");
        QCOMPARE(bytes("Russian", "6205.Dat"), orbistan::formatBearingRecord(stored));
        expectRestingFlags();
    }

    void aCorrectedNumberThatIsStoredLeadsToOverwrite() {
        QCOMPARE(orbistan::WriteBearingRecord(record("Russian", "6206.Dat"),
                                              {30, 62, 0, 9.525, 9, 0, 0, 0, 0, ""}),
                 0);
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.answer([](QDialog& d) {
            d.findChild<QLineEdit*>("Edit1")->setText("6206");
            UiFixture::clickButton(d, "Button1");
        });
        f.answer([](QDialog& d) {
            QCOMPARE(d.windowTitle(), QString("ПЕРЕЗАПИСЬ"));
            QCOMPARE(d.findChild<QLineEdit*>("Edit1")->text(), QString("6206"));
            UiFixture::clickButton(d, "Button1"); // "Отмена"
        });
        f.click("SpeedButton22");
        QCOMPARE(f.edit("Edit9")->text(), QString("6206"));
        QCOMPARE(bytes("Russian", "6205.Dat"), std::string("<missing>"));
        expectRestingFlags();
    }

    void saveUnderTheOtherStandard() {
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.answer([](QDialog& d) {
            choose(d, "RadioButton18"); // "другой"
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton22");
        QVERIFY(bytes("import", "6205.Dat") != "<missing>");
        QCOMPARE(bytes("Russian", "6205.Dat"), std::string("<missing>"));
        QCOMPARE(f.form().state().CurrentStandard, 0);
        QVERIFY(f.child<QRadioButton>("RadioButton2")->isChecked());
    }

    void aMissingFolderIsReportedAndNothingWritten() {
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        std::filesystem::remove_all(record("Russian", "x").parent_path());
        f.answer([](QDialog& d) { UiFixture::clickButton(d, "Button1"); }); // "Сохранить"
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QGroupBox*>("GroupBox1")->isVisible());
            QCOMPARE(d.findChild<QLabel*>("Label5")->text(),
                     QString("Данные не могут быть сохранены"));
            QCOMPARE(d.findChild<QLabel*>("Label2")->text(),
                     QString("в катологе программы отсутствует  директория  .\\Basa\\Russian\\"));
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton22");
        QVERIFY(!std::filesystem::exists(record("Russian", "6205.Dat")));
        expectRestingFlags();
    }

    void notesRefuseWhatTheCodePageCannotHoldAsItArrives() {
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        f.answer([](QDialog& d) {
            QPlainTextEdit* m = memo(d);
            choose(d, "RadioButton2"); // Шариковый: kept, not lost at «Сохранить»
            m->setFocus();
            QApplication::clipboard()->setText("ab日本c");
            m->paste();
            QTest::sendKeyEvent(QTest::Click, m, Qt::Key_unknown, QString("☃"), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Click, m, Qt::Key_unknown, QString("д"), Qt::NoModifier);
            m->insertPlainText(QString::fromUcs4(U"\U0001F600e")); // outside the BMP
            QCOMPARE(m->toPlainText(), QString("abcдe"));
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton22");
        QCOMPARE(bytes("Russian", "6205.Dat"),
                 " 2.50000000000000E+0001  5.20000000000000E+0001  0.00000000000000E+0000 "
                 " 7.93800000000000E+0000  9.00000000000000E+0000 2 0 0 0 abc" +
                     *orbistan::utf8ToCp1251("д") + "e\r\n");
    }

    void deleteAsksThenRemovesAndClears() {
        QCOMPARE(orbistan::WriteBearingRecord(record("Russian", "6205.Dat"), {}), 0);
        f.type("Edit9", "6205");
        f.type("Edit1", "12");
        f.answer([](QDialog& d) {
            QCOMPARE(d.findChild<QLineEdit*>("Edit1")->text(), QString("6205"));
            UiFixture::clickButton(d, "Button1"); // "Удалить"
        });
        f.action("N12")->trigger();
        QVERIFY(!std::filesystem::exists(record("Russian", "6205.Dat")));
        QCOMPARE(f.edit("Edit1")->text(), QString("0"));
        QCOMPARE(QApplication::focusWidget(), f.edit("Edit9"));
        expectRestingFlags();
        f.answerAll(1, "Отмена"); // and asks again next time
        f.action("N12")->trigger();
    }

    void aDeletionThatFailsSaysSoAndKeepsTheWindow() {
        QCOMPARE(orbistan::WriteBearingRecord(record("Russian", "6205.Dat"), {}), 0);
        f.type("Edit9", "6205");
        f.type("Edit1", "12");
        orbistan::setWriteFaultForTesting([](std::string_view step) {
            return step == "remove" ? EROFS : 0; // a read-only mount
        });
        f.answerAll(1, "Удалить");
        QString shown;
        f.answer([&shown](QDialog& d) {
            shown = static_cast<QMessageBox&>(d).text();
            d.accept();
        });
        f.action("N12")->trigger();
        orbistan::setWriteFaultForTesting({});
        QCOMPARE(shown, QString("File access denied"));
        QVERIFY(std::filesystem::exists(record("Russian", "6205.Dat")));
        QCOMPARE(f.edit("Edit1")->text(), QString("12")); // nothing was cleared
        expectRestingFlags();                             // the next deletion asks again
    }

    void aSaveThatFailsInAnExistingFolderSaysWhatFailed() {
        compute("6205", {"9", "25", "7,938", "52", "25", "0"});
        QCOMPARE(orbistan::WriteBearingRecord(record("Russian", "6205.Dat"), {}), 0);
        const std::string before = bytes("Russian", "6205.Dat");
        orbistan::setWriteFaultForTesting(
            [](std::string_view step) { return step == "write" ? ENOSPC : 0; });
        f.answer([](QDialog& d) { UiFixture::clickButton(d, "Button2"); }); // overwrite
        f.answer([](QDialog& d) {
            QCOMPARE(d.findChild<QLabel*>("Label5")->text(),
                     QString("Данные не могут быть сохранены"));
            QCOMPARE(d.findChild<QLabel*>("Label2")->text(), QString("Disk full"));
            UiFixture::clickButton(d, "Button1");
        });
        f.click("SpeedButton22");
        orbistan::setWriteFaultForTesting({});
        QCOMPARE(bytes("Russian", "6205.Dat"), before);
    }

    void aRecordThatIsNotAFileIsRefusedAtOnce() {
        const std::filesystem::path fifo = record("Russian", "6205.Dat");
        QCOMPARE(mkfifo(fifo.c_str(), 0644), 0);
        f.type("Edit9", "6205");
        QString shown;
        f.answer([&shown](QDialog& d) {
            shown = static_cast<QMessageBox&>(d).text();
            d.accept();
        });
        f.action("N5")->trigger(); // "Загрузить": would wait for a writer forever
        QCOMPARE(shown, QString("File access denied"));
    }
};

QTEST_MAIN(SaveTest)
#include "save_test.moc"
