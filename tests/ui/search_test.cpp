// The search and its tools driven through the real window.
#include "ui_fixture.h"

#include "ui/kit/style.h"

#include "ui/dialogs/TForm10.h"

#include <QAction>
#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTest>

using orbistan::test::UiFixture;

namespace {

const QColor kNavy(0x00, 0x00, 0x80);

QWidget* results() {
    return UiFixture::topLevel("TForm10");
}

QString list(const QString& memo) {
    return results()->findChild<QPlainTextEdit*>(memo)->toPlainText();
}

QString heading(const QString& label) {
    return results()->findChild<QLabel*>(label)->text();
}

} // namespace

class SearchTest : public QObject {
    Q_OBJECT

    UiFixture f;

    // Bearing 6205 computed at a precision of hundredths: Fo 89,3, Fi 135,7, Fw 58,05,
    // Fq 9,92, Fr 25.
    void compute6205() {
        f.form().state().Precision = 100;
        f.typeGeometry({"9", "25", "7,938", "52", "25", "0"});
        f.type("Edit9", "6205");
        f.click("SpeedButton1");
        QCOMPARE(f.form().state().NoResult, 0);
    }
    void search(const QString& value, const QString& tolerance) {
        f.type("Edit8", value);
        f.type("Edit7", tolerance);
        f.click("SpeedButton36");
    }
    void expectNotComputed() {
        f.answer([](QDialog& d) {
            QVERIFY(d.findChild<QGroupBox*>("GroupBox2")->isVisible());
            UiFixture::clickButton(d, "Button1");
        });
    }
    void expectEnterCorrectly() {
        f.answer([](QDialog& d) {
            QVERIFY(!d.findChild<QGroupBox*>("GroupBox2")->isVisible());
            UiFixture::clickButton(d, "Button1");
        });
    }

private Q_SLOTS:
    void init() { f.start(); }
    void cleanup() {
        if (results()) {
            results()->hide();
        }
        f.stop();
    }

    void refusedWithoutAComputationAfterApplyingDefaults() {
        f.edit("Edit7")->clear();
        f.edit("Edit61")->clear();
        f.edit("Edit50")->clear();
        f.type("Edit8", "100");
        expectNotComputed();
        f.click("SpeedButton36");
        QCOMPARE(f.edit("Edit7")->text(), QString("0"));
        QCOMPARE(f.edit("Edit61")->text(), QString("10"));
        QCOMPARE(f.edit("Edit50")->text(), QString("1000"));
        QCOMPARE(f.edit("Edit48")->text(), QString("0"));
    }

    void refusedAfterTheInputWasEdited() {
        compute6205();
        f.type("Edit1", "8");
        expectNotComputed();
        search("89,3", "1");
        QCOMPARE(f.edit("Edit48")->text(), QString("1"));
        QCOMPARE(f.edit("Edit22")->text(), QString("99,23")); // rows untouched
    }

    void commaAndPointSpellTheSameInput() {
        compute6205();
        f.type("Edit3", "7.938");
        search("89,3", "0");
        QCOMPARE(f.edit("Edit22")->text(), QString("89,3"));
    }

    void firstHitsFillTheRowsAndSingleHitsKeepTheWindowClosed() {
        compute6205();
        search("89,3", "0");
        QCOMPARE(f.edit("Edit22")->text(), QString("89,3")); // Fo + Fq
        QCOMPARE(f.edit("Edit20")->text(), QString("1"));
        QCOMPARE(f.edit("Edit21")->text(), QString("0"));
        QCOMPARE(f.edit("Edit56")->text(), QString("89,3")); // Fo - Fr
        QCOMPARE(f.edit("Edit49")->text(), QString());       // Fr + Fq: no hit
        QCOMPARE(f.edit("Edit48")->text(), QString("1"));
        QVERIFY(!results()->isVisible());
        // "Результаты" shows the rewritten lists all the same.
        f.click("SpeedButton54");
        QVERIFY(results()->isVisible());
        QCOMPARE(list("Memo1"), QString("1Fo+0Fq=89,3"));
        QCOMPARE(heading("Label1"), QString("Fo + Fq ( 1 )"));
        QCOMPARE(heading("Label3"), QString("Fr + Fq ( 0 )"));
        // The next key starts a new number.
        f.click("SpeedButton5");
        QCOMPARE(f.edit("Edit8")->text(), QString("5"));
    }

    void aSecondHitOpensTheResultsWindow() {
        compute6205();
        search("245,37", "3");
        QVERIFY(results()->isVisible());
        QCOMPARE(results()->windowTitle(),
                 QString("Результаты по подшипнику № 6205   (вы искали значение  245,37)"));
        QCOMPARE(heading("Label3"), QString("Fr + Fq ( 2 )"));
        QCOMPARE(list("Memo3"), QString("9Fr+2Fq=244,84\n7Fr+7Fq=244,44"));
        QCOMPARE(f.edit("Edit49")->text(), QString("244,84"));
        QCOMPARE(f.edit("Edit47")->text(), QString("9"));
        QCOMPARE(f.edit("Edit62")->text(), QString("2"));
        const QStringList panel = {"25",   "89,3", "135,7", "58,05",
                                   "9,92", "89,3", "135,7", "47,87"};
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(results()->findChild<QLineEdit*>(QString("Edit%1").arg(i + 1))->text(),
                     panel[i]);
        }
        // "ЗАКРЫТЬ" hides it with its contents.
        QTest::mouseClick(results()->findChild<QPushButton*>("Button1"), Qt::LeftButton);
        QVERIFY(!results()->isVisible());
        f.click("SpeedButton54");
        QCOMPARE(list("Memo3"), QString("9Fr+2Fq=244,84\n7Fr+7Fq=244,44"));
    }

    void eachListKeepsItsCombination() {
        QStringList designed;
        for (int k = 1; k <= 14; ++k) {
            designed << heading(QString("Label%1").arg(k));
        }
        compute6205();
        search("245,37", "3");
        for (int k = 1; k <= 14; ++k) {
            const QString now = heading(QString("Label%1").arg(k));
            QVERIFY2(now.startsWith(designed[k - 1] + " ( "), qPrintable(now));
            // Every line of a list is of its own combination, e.g. "…Fo-…Fr=…" under "Fo - Fr".
            const QStringList parts = designed[k - 1].split(' ');
            for (const QString& line :
                 list(QString("Memo%1").arg(k)).split('\n', Qt::SkipEmptyParts)) {
                QVERIFY2(
                    QRegularExpression("^[\\d,]+" + QRegularExpression::escape(parts[0] + parts[1]))
                        .match(line)
                        .hasMatch(),
                    qPrintable(designed[k - 1] + ": " + line));
            }
        }
        QCOMPARE(heading("Label14"), QString("Fr - Fq ( 0 )"));
        QCOMPARE(heading("Label13"), QString("Fo - Fr ( 2 )"));
        QCOMPARE(list("Memo13"), QString("3Fo-1Fr=242,9\n5Fo-8Fr=246,5"));
    }

    void anUnreadableSearchFieldClearsRowsButKeepsTheLists() {
        compute6205();
        search("245,37", "3");
        results()->hide();
        f.edit("Edit8")->clear();
        expectEnterCorrectly();
        f.click("SpeedButton36");
        QCOMPARE(f.edit("Edit49")->text(), QString()); // rows cleared
        QCOMPARE(heading("Label3"), QString("Fr + Fq ( 0 )"));
        QCOMPARE(list("Memo3"), QString("9Fr+2Fq=244,84\n7Fr+7Fq=244,44"));
        QVERIFY(results()->windowTitle().contains("245,37"));
        QVERIFY(!results()->isVisible());
    }

    void limitsRewriteOnlyFieldsAboveThem_data() {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("after");
        QTest::newRow("tolerance 25") << "Edit7"
                                      << "25"
                                      << "20";
        QTest::newRow("tolerance 20,0") << "Edit7"
                                        << "20,0"
                                        << "20,0";
        QTest::newRow("harmonic 60") << "Edit61"
                                     << "60"
                                     << "50";
        QTest::newRow("frequency 50000") << "Edit50"
                                         << "50000"
                                         << "40000";
        QTest::newRow("frequency 40000") << "Edit50"
                                         << "40000"
                                         << "40000";
    }
    void limitsRewriteOnlyFieldsAboveThem() {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, after);
        compute6205();
        f.type(field, typed);
        f.type("Edit8", "89,3");
        f.click("SpeedButton36");
        QCOMPARE(f.edit(field)->text(), after);
    }

    void modeSwitchChangesTheGroupAndResetsTheRows() {
        compute6205();
        search("89,3", "0");
        f.click("SpeedButton53");
        QCOMPARE(f.button("SpeedButton53")->text(), QString("Автопоиск"));
        QCOMPARE(f.edit("Edit8")->geometry(), QRect(160, 17, 153, 21));
        auto* box = f.child<QGroupBox>("GroupBox16");
        QCOMPARE(box->x(), 160);
        QCOMPARE(box->height(), 65);
        for (const char* hidden :
             {"SpeedButton36", "SpeedButton55", "Edit7", "Edit59", "Edit61", "SpeedButton38",
              "SpeedButton39", "UpDown4", "Label201", "Label202", "Label203"}) {
            QVERIFY2(!f.child<QWidget>(hidden)->isVisible(), hidden);
        }
        for (const char* shown :
             {"SpeedButton23", "SpeedButton24", "SpeedButton25", "SpeedButton26", "SpeedButton27",
              "SpeedButton28", "Edit50", "Label204", "Label206", "Label207", "SpeedButton54"}) {
            QVERIFY2(f.child<QWidget>(shown)->isVisible(), shown);
        }
        QCOMPARE(f.edit("Edit51")->text(), QString("0"));
        QCOMPARE(f.edit("Edit21")->text(), QString("1"));     // multipliers back to 1
        QCOMPARE(f.edit("Edit22")->text(), QString("99,23")); // and recomputed
        f.click("SpeedButton53");
        QCOMPARE(f.button("SpeedButton53")->text(), QString("Ручной поиск"));
        QCOMPARE(f.edit("Edit8")->geometry(), QRect(144, 17, 99, 21));
        QCOMPARE(box->geometry(), QRect(144, 41, 173, 41));
        QVERIFY(f.child<QWidget>("Edit7")->isVisible());
        QVERIFY(!f.child<QWidget>("SpeedButton28")->isVisible());
        QCOMPARE(f.edit("Edit51")->text(), QString("1"));
    }

    void modeSwitchWithoutResultOnlyClearsTheRows() {
        f.click("SpeedButton53");
        QCOMPARE(f.edit("Edit22")->text(), QString());
        QCOMPARE(f.form().state().NoResult, 1);
    }

    void coefficientButtonSetsItsFrequencysMultipliers() {
        compute6205();
        f.click("SpeedButton53");
        f.type("Edit8", "2");
        f.click("SpeedButton28"); // "Fr"
        for (const char* n : {"Edit39", "Edit36", "Edit27", "Edit24", "Edit58", "Edit55"}) {
            QCOMPARE(f.edit(n)->text(), QString("2"));
        }
        QCOMPARE(f.edit("Edit47")->text(), QString("2"));
        QCOMPARE(f.edit("Edit63")->text(), QString("2"));
        QCOMPARE(f.edit("Edit38")->text(), QString("1"));
        QCOMPARE(f.edit("Edit40")->text(), QString("108,05")); // 58,05 + 2·25
        QCOMPARE(f.edit("Edit49")->text(), QString("59,92"));  // 2·25 + 9,92
        QCOMPARE(f.edit("Edit48")->text(), QString("1"));
    }

    void coefficientButtonWithAnEmptyDisplayIsRefused() {
        compute6205();
        f.click("SpeedButton53");
        f.edit("Edit8")->clear();
        expectEnterCorrectly();
        f.click("SpeedButton25"); // "Fo"
        QCOMPARE(f.edit("Edit20")->text(), QString());
        QCOMPARE(f.form().state().NoResult, 1);
    }

    void f2SearchesInManualModeWithTheHiddenFields() {
        compute6205();
        f.click("SpeedButton53");
        f.edit("Edit7")->setText("3"); // hidden, still read
        f.type("Edit8", "245,37");
        QTest::keyClick(f.edit("Edit8"), Qt::Key_F2);
        QCOMPARE(heading("Label3"), QString("Fr + Fq ( 2 )"));
    }

    void returnKeyUndoesTheLastTransfer() {
        f.type("Edit8", "25");
        f.click("SpeedButton16"); // into Fr
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(f.button("SpeedButton45"), &move);
        QCOMPARE(f.button("SpeedButton45")->toolTip(), QString("Возврат (25)"));
        f.click("SpeedButton45");
        QCOMPARE(f.edit("Edit8")->text(), QString("25"));
        QCOMPARE(f.edit("Edit2")->text(), QString("0"));
        QCOMPARE(orbistan::ui::captionColour(*f.button("SpeedButton16")), kNavy);
        QCOMPARE(orbistan::ui::captionColour(*f.button("SpeedButton30")), kNavy);
        QCOMPARE(f.form().state().keypad.LastTransferTarget, 0);
        f.type("Edit2", "30");
        f.edit("Edit8")->clear();
        f.click("SpeedButton45"); // only the display comes back now
        QCOMPARE(f.edit("Edit8")->text(), QString("25"));
        QCOMPARE(f.edit("Edit2")->text(), QString("30"));
    }

    void toleranceLadderButtonsAndKeys() {
        f.type("Edit7", "10");
        f.click("SpeedButton38");
        QCOMPARE(f.edit("Edit7")->text(), QString("0,001"));
        f.click("SpeedButton39");
        QCOMPARE(f.edit("Edit7")->text(), QString("10"));
        QTest::keyClick(f.edit("Edit8"), Qt::Key_End);
        QCOMPARE(f.edit("Edit7")->text(), QString("9"));
        QTest::keyClick(f.edit("Edit8"), Qt::Key_Home);
        QCOMPARE(f.edit("Edit7")->text(), QString("10"));
        f.type("Edit7", "");
        expectEnterCorrectly();
        f.click("SpeedButton38");
        QCOMPARE(f.edit("Edit7")->text(), QString());
    }

    void stepToggleTwiceReturns() {
        f.click("SpeedButton55");
        QCOMPARE(f.edit("Edit59")->text(), QString("0,5"));
        QCOMPARE(f.button("SpeedButton55")->text(), QString(">"));
        f.click("SpeedButton55");
        QCOMPARE(f.edit("Edit59")->text(), QString("1"));
        QCOMPARE(f.button("SpeedButton55")->text(), QString("<"));
    }

    void keypadDisplayGuardsAndSlash() {
        f.type("Edit8", " ");
        QCOMPARE(f.edit("Edit8")->text(), QString());
        f.click("SpeedButton3");
        f.edit("Edit48")->setText("1");
        f.click("SpeedButton42");
        QCOMPARE(f.edit("Edit8")->text(), QString("/"));
        QCOMPARE(f.edit("Edit48")->text(), QString("0"));
    }

    void maximumHarmonicSpinWritesItsField() {
        auto* spin = f.child<QSpinBox>("UpDown4");
        QCOMPARE(spin->value(), 10);
        spin->stepUp(); // wraps round to 0
        QCOMPARE(f.edit("Edit61")->text(), QString("0"));
    }

    void maximumHarmonicArrowsStepFromTheTypedValue() {
        auto* spin = f.child<QSpinBox>("UpDown4");
        const struct {
            const char* typed;
            bool up;
            const char* shown;
        } steps[] = {{"5", true, "6"}, {"5", false, "4"}, {"30", true, "0"}, {"0", false, "10"}};
        for (const auto& step : steps) {
            f.type("Edit61", step.typed);
            step.up ? spin->stepUp() : spin->stepDown();
            QCOMPARE(f.edit("Edit61")->text(), QString(step.shown));
        }
    }

    void harmonicListsOpenOnTheLeftButtonOnly() {
        compute6205();
        auto* menu = f.form().findChild<QMenu*>("PopupMenu3");
        QTest::mouseRelease(f.button("SpeedButton44"), Qt::RightButton, {}, QPoint(3, 3));
        QVERIFY(!menu->isVisible());
        QVERIFY(!f.form().findChild<QMenu*>("PopupMenu1")->isVisible()); // nor the context menu
        QStringList captions;
        for (QAction* a : menu->actions()) {
            captions << a->text();
        }
        // 89,3 / 4 is a little below 22,325 as a real, so it rounds down.
        QCOMPARE(captions, QStringList({"  Fo=89,3", "1/2Fo=44,65", "1/3Fo=29,77", "1/4Fo=22,32",
                                        "1/5Fo=17,86", "1/6Fo=14,88", "1/7Fo=12,76", "1/8Fo=11,16",
                                        "1/9Fo=9,92", "1/10Fo=8,93"}));
        QTest::mouseRelease(f.button("SpeedButton52"), Qt::LeftButton, {}, QPoint(3, 3));
        QVERIFY(menu->isVisible());
        QCOMPARE(menu->actions()[9]->text(), QString("10Fw*=478,7"));
        const QPoint anchor = f.form().centralWidget()->mapToGlobal(QPoint(370, 268));
        QCOMPARE(menu->geometry().right() + 1, anchor.x());
        QCOMPARE(menu->geometry().top(), anchor.y());
        menu->hide();
    }

    void resultFieldsShowTheirTextAsTooltip() {
        compute6205();
        QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), QPointF(3, 3), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(f.edit("Edit46"), &move);
        QCOMPARE(f.edit("Edit46")->toolTip(), QString("150,77"));
    }
};

QTEST_MAIN(SearchTest)
#include "search_test.moc"
