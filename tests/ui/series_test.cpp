// The spectrum window's series driven as an analyst drives it: a folder of records of one
// point opened with «Серия…», trended as its rows come, its first flagged record named, a
// record clicked open, the series stepped through with the keys, a series cancelled.
#include "ui_fixture.h"

#include "platform/atomic_file.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/io/audio.h"
#include "ui/kit/file_dialog.h"
#include "ui/plot/plot.h"
#include "ui/spectrum/TForm16.h"
#include "ui/spectrum/series_view.h"
#include "ui/spectrum/waterfall_view.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <cmath>
#include <string>

using orbistan::test::UiFixture;
using orbistan::ui::TForm16;

namespace {

TForm16* spectrumWindow() {
    auto* main = qobject_cast<orbistan::ui::TForm1*>(UiFixture::topLevel("TForm1"));
    return main ? dynamic_cast<TForm16*>(main->spectrumWindow()) : nullptr;
}

orbistan::ui::SeriesView* view() {
    return spectrumWindow()->seriesView();
}

// A 6205 at 1797 rpm: an outer-race fault from record `onset` on, growing, the speed
// wandering ±1 %; each record 1 s at 20 kHz, named by its time, 10 minutes apart.
void writeSeries(const QString& folder, int records, int onset) {
    orbistan::SynthSettings s;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.sampleRate = 20000;
    s.seconds = 1;
    for (int i = 0; i < records; ++i) {
        const orbistan::SynthSettings r = seriesRecord(s, {records, onset, 0.01}, i);
        const QString name = QString("%1/2026.01.01.%2.%3.00.wav")
                                 .arg(folder)
                                 .arg(i / 6, 2, 10, QChar('0'))
                                 .arg(i % 6 * 10, 2, 10, QChar('0'));
        QCOMPARE(orbistan::writeFileAtomically(name.toStdString(),
                                               orbistan::encodeWav(synthesize(r), 20000)),
                 0);
    }
}

// «Серия…» → «Папка записей…», the dialog answered with the folder.
void openSeriesFolder(const QString& folder) {
    orbistan::ui::setFileDialogHandler([folder](const orbistan::ui::FileRequest& r) {
        return r.pick == orbistan::ui::FileRequest::Pick::Folder ? folder : QString();
    });
    auto* button = spectrumWindow()->findChild<QToolButton*>("seriesButton");
    QVERIFY(button && button->isEnabled());
    QAction* action = button->menu()->findChild<QAction*>("seriesFolderAction");
    QVERIFY(action);
    action->trigger();
}

// The spectrum plot's title: the file shown.
QString spectrumTitle() {
    auto* plot = spectrumWindow()->findChild<QCustomPlot*>("Chart1");
    return static_cast<QCPTextElement*>(plot->plotLayout()->element(0, 0))->text();
}

int tabShown() {
    return spectrumWindow()->findChild<QTabBar*>("viewTabs")->currentIndex();
}

} // namespace

class SeriesTest : public QObject {
    Q_OBJECT

    UiFixture f;
    QString folder_;

    void openSpectrumWindow() {
        f.typeGeometry({"9", "29,95", "7,94", "52", "25", "0"});
        f.click("SpeedButton1");
        QTest::keyClick(&f.form(), Qt::Key_G, Qt::ControlModifier);
        QVERIFY(spectrumWindow()->isVisible());
    }

private Q_SLOTS:
    void init() {
        f.start([this](const QString& dir) {
            folder_ = dir + "/point";
            QVERIFY(QDir().mkpath(folder_));
            writeSeries(folder_, 18, 9);
        });
    }
    void cleanup() { f.stop(); }

    // Each record is judged at its own speed, which «Fr, Гц» draws: the series' speed wanders
    // by 1 % from record to record about the 29,95 Hz typed.
    void eachRecordsSpeedIsTrended() {
        openSpectrumWindow();
        openSeriesFolder(folder_);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->seriesBusy(), 60000);
        QTRY_COMPARE(view()->document().rows().size(), std::size_t{18});
        auto* measure = view()->findChild<QComboBox*>("trendMeasureBox");
        const int speed = measure->findText("Fr, Гц");
        QVERIFY(speed >= 0);
        measure->setCurrentIndex(speed);
        QCustomPlot* plot = view()->plot();
        QCPGraph* level = plot->graph(0);
        QCOMPARE(level->dataCount(), 18);
        QSet<double> speeds;
        for (int i = 0; i < level->dataCount(); ++i) {
            const double fr = level->data()->at(i)->value;
            QVERIFY2(std::abs(fr / 29.95 - 1) < 0.012, qPrintable(QString::number(fr)));
            speeds.insert(std::round(fr * 100));
        }
        QVERIFY2(speeds.size() > 9, "each record's own speed, not one for all");
        QCOMPARE(plot->axisRect(0)->axis(QCPAxis::atLeft)->label(), QString("Fr, Гц"));
        const QString firsts = view()->findChild<QLabel*>("seriesFirsts")->text();
        QVERIFY2(!firsts.contains("порога"), qPrintable(firsts)); // no alarm on the speed
        if (!qEnvironmentVariableIsEmpty("SHOT_OUT")) {
            plot->replot();
            spectrumWindow()->grab().save(qEnvironmentVariable("SHOT_OUT"));
        }
    }

    // The trend grows as the rows come; the outer race is named from record 10 (the tenth,
    // where the fault begins), nothing else; a click opens that record's spectrum with the
    // bearing's lines; → steps to the next and ← back, Ctrl+→ on the spectrum too.
    void aFolderIsTrendedAndItsRecordsOpen() {
        openSpectrumWindow();
        openSeriesFolder(folder_);
        QCOMPARE(tabShown(), 3);
        QVERIFY(view()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->seriesBusy(), 60000);
        QTRY_COMPARE(view()->document().rows().size(), std::size_t{18});
        QCOMPARE(view()->progressText(), QString("point: записей 18"));
        const QString firsts = view()->findChild<QLabel*>("seriesFirsts")->text();
        QVERIFY2(firsts.contains("Fo — признаки с 01.01.2026 01:30 (запись 10), сильные"),
                 qPrintable(firsts));
        for (const char* other : {"Fi — нет", "2·Fw — нет", "Fq — нет"}) {
            QVERIFY2(firsts.contains(other), qPrintable(firsts));
        }
        // The plot names the day the fault appeared.
        QCustomPlot* plot = view()->plot();
        plot->replot();
        bool named = false;
        for (int i = 0; i < plot->itemCount(); ++i) {
            auto* t = qobject_cast<QCPItemText*>(plot->item(i));
            named |= t && t->visible() && t->text().contains("Fo с 01.01.2026 01:30");
        }
        QVERIFY(named);

        // A click on the tenth record opens it in the spectrum tab, its lines drawn.
        QCPAxis* time = plot->axisRect(0)->axis(QCPAxis::atBottom);
        const double tenth = static_cast<double>(view()->document().rows()[9].entry.time.seconds);
        const QPoint at(static_cast<int>(time->coordToPixel(tenth)),
                        plot->axisRect(0)->center().y());
        QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(tabShown(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        QCOMPARE(view()->document().current(), std::optional<std::size_t>(9));
        QCOMPARE(spectrumTitle(), QString("Спектр: 2026.01.01.01.30.00.wav — запись 10 из 18"));
        QVERIFY(spectrumWindow()->markerLineCount() > 0);

        // Ctrl+→ on the spectrum: the next record, the lines kept.
        QTest::keyClick(spectrumWindow()->findChild<QWidget*>("Chart1"), Qt::Key_Right,
                        Qt::ControlModifier);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        QCOMPARE(view()->document().current(), std::optional<std::size_t>(10));
        QVERIFY(spectrumTitle().contains("2026.01.01.01.40.00.wav"));
        QVERIFY(spectrumWindow()->markerLineCount() > 0);
        // ← on the trend: the one before, the trend still shown.
        spectrumWindow()->findChild<QTabBar*>("viewTabs")->setCurrentIndex(3);
        QTest::keyClick(view(), Qt::Key_Left);
        QCOMPARE(tabShown(), 3);
        QCOMPARE(view()->document().current(), std::optional<std::size_t>(9));
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        QVERIFY(spectrumTitle().contains("2026.01.01.01.30.00.wav"));
    }

    // The waterfall: the envelope spectra of the records up the map, the outer race's line
    // lit from the record the fault begins on, the bearing's lines over it; the spectra of the
    // records at a choice; a click on a record's row opens it.
    void theWaterfallShowsTheFaultAppear() {
        openSpectrumWindow();
        openSeriesFolder(folder_);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->seriesBusy(), 60000);
        auto* tabs = spectrumWindow()->findChild<QTabBar*>("viewTabs");
        QVERIFY(tabs->isTabEnabled(4));
        tabs->setCurrentIndex(4);
        auto* waterfall = spectrumWindow()->waterfallView();
        QVERIFY(waterfall->isVisible());
        QCustomPlot* plot = waterfall->plot();
        auto* map = qobject_cast<QCPColorMap*>(plot->plottable(0));
        QVERIFY(map);
        QCOMPARE(map->data()->valueSize(), 18);
        // dB at Fo: record 12 stands far above record 3.
        const auto at = [&](double hz, int record) {
            int x = 0, y = 0;
            map->data()->coordToCell(hz, record, &x, &y);
            return map->data()->cell(x, y);
        };
        QVERIFY2(at(106.98, 12) > at(106.98, 3) + 12,
                 qPrintable(QString("%1 %2").arg(at(106.98, 12)).arg(at(106.98, 3))));
        QVERIFY(plot->graph(0)->dataCount() > 0); // the outer race's harmonics drawn over it
        auto* kind = waterfall->findChild<QComboBox*>("waterfallKindBox");
        kind->setCurrentIndex(1);
        QVERIFY(!waterfall->showingEnvelope());
        QVERIFY(plot->xAxis->range().upper > 5000); // the records' spectra: their whole span
        const QPoint row(plot->axisRect()->center().x(),
                         static_cast<int>(plot->yAxis->coordToPixel(12)));
        QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, row);
        QCOMPARE(tabs->currentIndex(), 0);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        QCOMPARE(view()->document().current(), std::optional<std::size_t>(12));
    }

    // Against a baseline: the faulty record opened, the healthy first one overlaid, the
    // plot's menu shows the difference in dB and lists the lines risen past the alarm level
    // — the fault's own first; unchecked, the overlay comes back.
    void theDifferenceFromABaselineListsTheRisenLines() {
        openSpectrumWindow();
        const auto answer = [](const QString& file) {
            orbistan::ui::setFileDialogHandler(
                [file](const orbistan::ui::FileRequest& r) { return r.save ? QString() : file; });
        };
        answer(folder_ + "/2026.01.01.02.50.00.wav"); // record 18: the fault grown
        QTest::mouseClick(spectrumWindow()->findChild<QToolButton*>("SpeedButton1"),
                          Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        answer(folder_ + "/2026.01.01.00.00.00.wav"); // record 1: healthy
        spectrumWindow()->findChild<QPushButton*>("overlayButton")->click();
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        auto* plot = spectrumWindow()->findChild<QCustomPlot*>("Chart1");
        bool chosen = false;
        QTimer::singleShot(20, [&] {
            auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
            QVERIFY(menu);
            QAction* a = menu->findChild<QAction*>("differenceAction");
            QVERIFY(a && a->isEnabled() && !a->isChecked());
            menu->close();
            a->trigger();
            chosen = true;
        });
        QTest::mouseClick(plot, Qt::RightButton, Qt::NoModifier, plot->axisRect()->center());
        QTRY_VERIFY(chosen);
        const QString risen = spectrumWindow()->risenText();
        QVERIFY2(risen.startsWith("Выросли больше чем на 6 дБ"), qPrintable(risen));
        // The fault's impacts ring the resonance: its band and the fault's harmonics rose.
        QVERIFY2(risen.contains(" Гц  +"), qPrintable(risen));
        QCOMPARE(plot->yAxis2->label(), QString("Разность с наложенным, дБ"));
        QVERIFY(plot->yAxis2->visible());
    }

    // The baseline and the alarm are the analyst's: more records in the baseline move its
    // shade, a lower alarm names an earlier rise of the level.
    void theBaselineAndTheAlarmAreChosen() {
        openSpectrumWindow();
        openSeriesFolder(folder_);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->seriesBusy(), 60000);
        QTRY_COMPARE(view()->document().rows().size(), std::size_t{18});
        auto* baseline = view()->findChild<QSpinBox*>("baselineBox");
        baseline->setValue(8);
        QCOMPARE(view()->document().baseline().size(), std::size_t{8});
        auto* measure = view()->findChild<QComboBox*>("trendMeasureBox");
        measure->setCurrentIndex(3); // Эксцесс: the impacts raise it first
        auto* alarm = view()->findChild<QDoubleSpinBox*>("alarmBox");
        alarm->setValue(1);
        const QString low = view()->firstsText();
        QVERIFY2(low.contains("Эксцесс выше порога с"), qPrintable(low));
        alarm->setValue(60);
        QVERIFY2(view()->firstsText().contains("Эксцесс не выше порога"),
                 qPrintable(view()->firstsText()));

        // Records chosen for the baseline with a right click on them, and let go again.
        const auto rightClick = [](std::size_t record, const QString& action) {
            QCustomPlot* plot = view()->plot();
            QCPAxis* time = plot->axisRect(0)->axis(QCPAxis::atBottom);
            const double key =
                static_cast<double>(view()->document().rows()[record].entry.time.seconds);
            bool chosen = false;
            QTimer::singleShot(20, [&] {
                auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
                QVERIFY(menu && menu->objectName() == "baselineMenu");
                QAction* a = menu->findChild<QAction*>(action);
                QVERIFY2(a && a->isEnabled(), qPrintable(action));
                menu->close();
                a->trigger();
                chosen = true;
            });
            QTest::mouseClick(
                plot, Qt::RightButton, Qt::NoModifier,
                QPoint(static_cast<int>(time->coordToPixel(key)), plot->axisRect(0)->center().y()));
            QTRY_VERIFY(chosen);
        };
        rightClick(11, "baselineAddAction");
        rightClick(13, "baselineAddAction");
        QCOMPARE(view()->document().baseline(), (std::vector<std::size_t>{11, 13}));
        QVERIFY2(view()->firstsText().endsWith("; база: выбранные записи (2)"),
                 qPrintable(view()->firstsText()));
        rightClick(11, "baselineRemoveAction");
        QCOMPARE(view()->document().baseline(), (std::vector<std::size_t>{13}));
        rightClick(2, "baselineFirstAction");
        QCOMPARE(view()->document().baseline().size(), std::size_t{8});
    }

    // A series is cancelled with «Отмена» at once: the rows read stay, no more come, and
    // the series can be opened again.
    void aSeriesIsCancelled() {
        openSpectrumWindow();
        openSeriesFolder(folder_);
        auto* cancel = view()->findChild<QPushButton*>("seriesCancel");
        QVERIFY(spectrumWindow()->seriesBusy());
        QVERIFY(cancel->isVisible());
        QTest::mouseClick(cancel, Qt::LeftButton);
        QVERIFY(!spectrumWindow()->seriesBusy());
        QVERIFY(!cancel->isVisible());
        const std::size_t kept = view()->document().rows().size();
        QVERIFY(kept < 18);
        QTest::qWait(500);
        QCOMPARE(view()->document().rows().size(), kept);
        openSeriesFolder(folder_);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->seriesBusy(), 60000);
        QCOMPARE(view()->document().rows().size(), std::size_t{18});
    }

    // Text records: columns of samples open as a record at the rate assumed; «Fд» given for
    // one holds for its folder. A file that could be a spectrum or a record with its time
    // first is read as a spectrum, the strip over the plot says so, and its button reads it
    // as a record at the rate its time shows; a spectrum whose header names its frequencies
    // says nothing.
    void textFilesOpenAsTheyAreAndSaySo() {
        openSpectrumWindow();
        std::string columns, either = "", spectrum = "Частота, Гц;Амплитуда\n";
        for (int i = 0; i < 4096; ++i) {
            const double x = std::sin(0.3 * i) + 0.01 * (i % 7);
            columns += std::to_string(x) + "\t" + std::to_string(-x) + "\n";
            either += std::to_string(i / 8000.0) + " " + std::to_string(x) + "\n";
            spectrum += std::to_string(i * 0.5) + ";" + std::to_string(std::abs(x)) + "\n";
        }
        QVERIFY(QDir().mkpath(f.programDir() + "/ims"));
        for (const auto& [name, bytes] :
             {std::pair{"ims/2004.02.12.10.32.39", columns},
              std::pair{"ims/2004.02.12.10.42.39", columns}, std::pair{"either.txt", either},
              std::pair{"spectrum.csv", spectrum}}) {
            QCOMPARE(
                orbistan::writeFileAtomically((f.programDir() + "/" + name).toStdString(), bytes),
                0);
        }
        const auto open = [](const QString& file) {
            orbistan::ui::setFileDialogHandler(
                [file](const orbistan::ui::FileRequest& r) { return r.save ? QString() : file; });
            QTest::mouseClick(spectrumWindow()->findChild<QToolButton*>("SpeedButton1"),
                              Qt::LeftButton);
            QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        };
        auto* rate = spectrumWindow()->findChild<QLineEdit*>("rateEdit");
        auto* notice = spectrumWindow()->findChild<QWidget*>("shaftSpeedNotice");
        auto* tabs = spectrumWindow()->findChild<QTabBar*>("viewTabs");
        open(f.programDir() + "/ims/2004.02.12.10.32.39");
        QVERIFY(tabs->isTabEnabled(1)); // a record: its signal can be looked at
        QCOMPARE(rate->text(), QString("12000"));
        QCOMPARE(spectrumWindow()->spectrum()->frequency.back(), 6000.0);
        rate->setFocus();
        rate->selectAll();
        QTest::keyClicks(rate, "20000");
        QTest::keyClick(rate, Qt::Key_Return);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        QCOMPARE(spectrumWindow()->spectrum()->frequency.back(), 10000.0);
        open(f.programDir() + "/ims/2004.02.12.10.42.39"); // the folder's next record
        QCOMPARE(rate->text(), QString("20000"));
        QCOMPARE(spectrumWindow()->spectrum()->frequency.back(), 10000.0);
        QVERIFY(!notice->isVisible());

        open(f.programDir() + "/either.txt");
        QVERIFY(!tabs->isTabEnabled(1)); // a spectrum
        QVERIFY(notice->isVisible());
        const QString said = notice->findChild<QLabel*>()->text();
        QVERIFY2(said.contains("«either.txt»: ") && said.contains("прочитан как спектр"),
                 qPrintable(said));
        auto* readAsRecord = notice->findChild<QPushButton*>("shaftSpeedUndoButton");
        QCOMPARE(readAsRecord->text(), QString("Читать как запись со временем"));
        QTest::mouseClick(readAsRecord, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!spectrumWindow()->busy(), 20000);
        QVERIFY(tabs->isTabEnabled(1));
        QCOMPARE(rate->text(), QString("8000"));
        QVERIFY(!notice->isVisible());

        open(f.programDir() + "/spectrum.csv");
        QVERIFY(!tabs->isTabEnabled(1));
        QVERIFY(!notice->isVisible());
        QCOMPARE(spectrumWindow()->spectrum()->frequency.back(), 2047.5);
    }
};

QTEST_MAIN(SeriesTest)
#include "series_test.moc"
