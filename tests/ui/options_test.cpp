// The "Установки" menu and the settings file, checked by the file's bytes.
#include "ui_fixture.h"

#include <QAction>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QTest>

#include <sys/stat.h>

using orbistan::test::UiFixture;

namespace {

const char* kSettings = "SaveWalz.Bmp";

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

} // namespace

class OptionsTest : public QObject {
    Q_OBJECT

    UiFixture f;

    QAction* action(const QString& name) { return f.action(name); }
    // Each two-item option: which item is checked (and so disabled).
    QString chosen(const QString& first, const QString& second) {
        QAction* a = action(first);
        QAction* b = action(second);
        if (a->isChecked() == b->isChecked() || a->isEnabled() == a->isChecked() ||
            b->isEnabled() == b->isChecked()) {
            return "inconsistent";
        }
        return a->isChecked() ? first : second;
    }
    QStringList precisionMarks() {
        QStringList checked;
        for (const char* name : {"N0001", "N00001", "N000001", "N0000001", "N63"}) {
            if (action(name)->isChecked()) {
                checked << name;
            }
        }
        return checked;
    }
    // The option items of the first start's values: each "on" item chosen, not rounded.
    void expectFirstStartMenus() {
        QCOMPARE(chosen("N20", "N21"), QString("N20"));
        QCOMPARE(chosen("N26", "N25"), QString("N26"));
        QCOMPARE(chosen("N28", "N29"), QString("N28"));
        QCOMPARE(precisionMarks(), QStringList{"N63"});
    }
    void typeBearing() { f.typeGeometry({"9", "25", "7,938", "52", "25", "0"}); }

private Q_SLOTS:
    void cleanup() { f.stop(); }

    void firstStartWritesTheDefaults() {
        f.start();
        QCOMPARE(f.fileBytes(kSettings), QByteArray("1 1 1 1\r\n"));
        QCOMPARE(chosen("N20", "N21"), QString("N20"));
        QCOMPARE(chosen("N25", "N26"), QString("N26"));
        QCOMPARE(chosen("N28", "N29"), QString("N28"));
        QCOMPARE(precisionMarks(), QStringList{"N63"});
        QCOMPARE(chosen("N44", "N45"), QString("N45"));
        QCOMPARE(chosen("N39", "N40"), QString("N40"));
        const auto& s = f.form().state();
        QCOMPARE(QList<int>({s.AutoClear, s.KeepFr, s.AutoLoad, s.Precision}),
                 QList<int>({1, 1, 1, 1}));
        QVERIFY(QDir(f.programDir()).entryList(QDir::Files) == QStringList{kSettings});
    }

    void everySwitchRewritesTheFile() {
        f.start();
        const QList<std::pair<const char*, QByteArray>> steps = {
            {"N21", "0 1 1 1\r\n"}, {"N25", "0 0 1 1\r\n"}, {"N29", "0 0 0 1\r\n"},
            {"N20", "1 0 0 1\r\n"}, {"N26", "1 1 0 1\r\n"}, {"N28", "1 1 1 1\r\n"}};
        for (const auto& [item, bytes] : steps) {
            action(item)->trigger();
            QCOMPARE(f.fileBytes(kSettings), bytes);
        }
        QCOMPARE(chosen("N20", "N21"), QString("N20"));
        // The sound switch has no value of its own but saves all the same.
        writeFile(f.programDir() + "/" + kSettings, "stale");
        action("N39")->trigger();
        QCOMPARE(chosen("N39", "N40"), QString("N39"));
        QCOMPARE(f.fileBytes(kSettings), QByteArray("1 1 1 1\r\n"));
    }

    void theCheckedItemCannotBeChosenAgain() {
        f.start();
        action("N20")->trigger(); // already in force: disabled, nothing happens
        QCOMPARE(chosen("N20", "N21"), QString("N20"));
        QCOMPARE(f.form().state().AutoClear, 1);
    }

    void loadsASavedChoice() {
        f.start([](const QString& dir) { writeFile(dir + "/" + kSettings, "0 0 0 100\r\n"); });
        QCOMPARE(chosen("N20", "N21"), QString("N21"));
        QCOMPARE(chosen("N25", "N26"), QString("N25"));
        QCOMPARE(chosen("N28", "N29"), QString("N29"));
        QCOMPARE(precisionMarks(), QStringList{"N0001"});
        QCOMPARE(f.form().state().Precision, 100);
        QCOMPARE(f.fileBytes(kSettings), QByteArray("0 0 0 100\r\n"));
    }

    void readsFourLinesAndWritesOne() {
        f.start([](const QString& dir) { writeFile(dir + "/" + kSettings, "1\n0\n1\n10000\n"); });
        QCOMPARE(precisionMarks(), QStringList{"N000001"});
        QCOMPARE(chosen("N25", "N26"), QString("N25"));
        QCOMPARE(f.fileBytes(kSettings), QByteArray("1 0 1 10000\r\n"));
    }

    void unknownValuesStayInMemoryAndLeaveTheMenus() {
        f.start([](const QString& dir) { writeFile(dir + "/" + kSettings, "2 1 -1 50\r\n"); });
        QCOMPARE(chosen("N20", "N21"), QString("N21")); // as designed
        QCOMPARE(chosen("N28", "N29"), QString("N28"));
        QCOMPARE(precisionMarks(), QStringList{"N63"});
        QCOMPARE(f.form().state().Precision, 50); // still the rounding factor
        QCOMPARE(f.fileBytes(kSettings), QByteArray("2 1 -1 50\r\n"));
    }

    void anUnreadableFileIsKeptBesideAndTheFirstStartValuesHold_data() {
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QString>("error");
        QTest::newRow("corrupt") << false << "Invalid numeric input";
        QTest::newRow("a FIFO that would hang the start") << true << "File access denied";
    }
    void anUnreadableFileIsKeptBesideAndTheFirstStartValuesHold() {
        QFETCH(bool, fifo);
        QFETCH(QString, error);
        QString shown;
        f.answer([&shown](QDialog& d) {
            const auto& box = static_cast<QMessageBox&>(d);
            shown = box.text() + " | " + box.informativeText();
            d.accept();
        });
        f.start([fifo](const QString& dir) {
            const QString path = dir + "/" + kSettings;
            if (fifo) {
                QCOMPARE(mkfifo(QFile::encodeName(path).constData(), 0644), 0);
            } else {
                writeFile(path, "0 1 x 1\r\n");
            }
        });
        const QString kept =
            "SaveWalz.unreadable-" + QDate::currentDate().toString(Qt::ISODate) + ".Bmp";
        QCOMPARE(shown, error + " | Файл сохранён как " + kept);
        QVERIFY(QFileInfo::exists(f.programDir() + "/" + kept));
        if (!fifo) {
            QCOMPARE(f.fileBytes(kept), QByteArray("0 1 x 1\r\n"));
        }
        expectFirstStartMenus();
        const auto& s = f.form().state();
        QCOMPARE(QList<int>({s.AutoClear, s.KeepFr, s.AutoLoad, s.Precision}),
                 QList<int>({1, 1, 1, 1}));
        f.restart(); // the close saves what is in force, never "0 0 0 0"
        QCOMPARE(f.fileBytes(kSettings), QByteArray("1 1 1 1\r\n"));
    }

    void unwritableSettingsAreReportedAndDefaultsHold() {
        QString shown;
        f.answer([&shown](QDialog& d) {
            shown = static_cast<QMessageBox&>(d).text();
            d.accept();
        });
        // A folder in the place of the file cannot be read nor replaced, even by root.
        f.start([](const QString& dir) { QDir(dir).mkpath(QString(kSettings) + "/x"); });
        QCOMPARE(shown, QString("File access denied"));
        expectFirstStartMenus(); // the menus show what is in force
        const auto& s = f.form().state();
        QCOMPARE(QList<int>({s.AutoClear, s.KeepFr, s.AutoLoad, s.Precision}),
                 QList<int>({1, 1, 1, 1}));
        QVERIFY(f.form().isVisible()); // the program keeps running
        // Each later save reports its failure and goes on.
        f.answerAll(1, "OK");
        action("N29")->trigger();
        QCOMPARE(f.form().state().AutoLoad, 0);
        QCOMPARE(chosen("N28", "N29"), QString("N29"));
        QCOMPARE(QDir(f.programDir()).entryList(QDir::Files), QStringList()); // no stray file
    }

    void precisionRecomputesAStandingResult() {
        f.start();
        action("N00001")->trigger(); // no result yet: marks and value only
        QCOMPARE(precisionMarks(), QStringList{"N00001"});
        QCOMPARE(f.form().state().Precision, 1000);
        QCOMPARE(f.edit("Edit10")->text(), QString());
        action("N63")->trigger();
        typeBearing();
        f.click("SpeedButton1");
        QCOMPARE(f.edit("Edit10")->text(), QString("89,3045454545455"));
        action("N00001")->trigger();
        QCOMPARE(f.edit("Edit10")->text(), QString("89,305"));
        action("N0001")->trigger();
        QCOMPARE(f.edit("Edit10")->text(), QString("89,3"));
        QCOMPARE(f.edit("Edit13")->text(), QString("9,92"));
        QCOMPARE(precisionMarks(), QStringList{"N0001"});
        // Not saved until the next save: closing the window writes it.
        QCOMPARE(f.fileBytes(kSettings), QByteArray("1 1 1 1\r\n"));
        f.form().close();
        QCOMPARE(f.fileBytes(kSettings), QByteArray("1 1 1 100\r\n"));
    }

    void closingByExitSavesOnce() {
        f.start();
        action("N0000001")->trigger();
        action("N2")->trigger();
        QVERIFY(!f.form().isVisible());
        QCOMPARE(f.fileBytes(kSettings), QByteArray("1 1 1 100000\r\n"));
    }

    void windowSizeModeSwitchesTheBorder() {
        f.start();
        auto& w = f.form();
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QCOMPARE(w.minimumSize(), w.maximumSize());
        action("N44")->trigger();
        QVERIFY(w.windowFlags() & Qt::WindowMaximizeButtonHint);
        QVERIFY(w.isVisible());
        QCOMPARE(chosen("N44", "N45"), QString("N44"));
        QCOMPARE(f.fileBytes(kSettings), QByteArray("1 1 1 1\r\n"));
        w.showMaximized();
        w.resize(900, 600);
        action("N45")->trigger();
        QVERIFY(!(w.windowFlags() & Qt::WindowMaximizeButtonHint));
        QVERIFY(!w.isMaximized());
        QCOMPARE(w.centralWidget()->size(), QSize(760, 483));
        QCOMPARE(w.size(), QSize(760, 483 + w.menuBar()->height()));
        const QPoint centre = w.screen()->availableGeometry().center();
        QVERIFY(qAbs(w.geometry().center().x() - centre.x()) <= 1);
        QCOMPARE(chosen("N44", "N45"), QString("N45"));
    }
};

QTEST_MAIN(OptionsTest)
#include "options_test.moc"
