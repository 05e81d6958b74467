// The spectrum window's redraw after a zoom, with a spectrum of 1 000 000 lines, against a
// bare QCustomPlot of the same size drawing the same data in the same run.
#include "platform/atomic_file.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/io/audio.h"
#include "spectrum/io/formats.h"
#include "ui/kit/application.h"
#include "ui/plot/plot.h"
#include "ui/spectrum/TForm16.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int kLines = 1000000;
QString programDir;

// The zooms alternate, so that every redraw samples the data anew.
void zoomAndRedraw(benchmark::State& st, QCustomPlot& plot) {
    const double top = plot.graph(0)->data()->at(kLines)->key;
    int i = 0;
    for (auto _ : st) {
        const double width = top / (2 + (i++ % 4));
        plot.xAxis->setRange(0.1 * width, 1.1 * width);
        plot.replot(QCustomPlot::rpImmediateRefresh);
    }
}

// The same spectrum as the window shows, linear (0) or in dB (1), in a bare plot of the
// window's plot's size.
void BM_FloorBarePlotRedraw(benchmark::State& st) {
    const orbistan::Spectrum s =
        *orbistan::openSpectrumFile((programDir + "/long.wav").toStdString(), 0,
                                    {orbistan::WindowKind::Hann, 0})
             .spectrum;
    QCustomPlot plot;
    plot.resize(821, 377);
    plot.addGraph()->setData(orbistan::ui::graphData(
        s.frequency, s.amplitude,
        st.range(0) ? orbistan::AmplitudeScale::Decibel : orbistan::AmplitudeScale::Linear));
    plot.graph(0)->setPen(QPen(Qt::red));
    plot.graph(0)->rescaleValueAxis();
    plot.show();
    QCoreApplication::processEvents();
    zoomAndRedraw(st, plot);
}
BENCHMARK(BM_FloorBarePlotRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window as it draws a spectrum alone (0), with the markers of a computed bearing and
// their labels (1), and with all the window writes on its plot: the dB scale, twenty peak
// labels and a harmonic cursor's ten lines and names (2).
void BM_WorkbenchRedraw(benchmark::State& st) {
    orbistan::writeFileAtomically((programDir + "/Spectrum.ini").toStdString(),
                                  st.range(0) == 2 ? "lines=0\naxis=db\npeak_labels=20\n"
                                                   : "lines=0\n");
    orbistan::ui::TForm16 window;
    window.setProgramDir(programDir.toStdString());
    if (st.range(0)) {
        window.setBearingSource([] {
            return std::optional<orbistan::WorkbenchBearing>(
                {{106.98, 162.57, 69.52, 11.89, 29.95}, {0, 1, 1, 10, 1000}, 1});
        });
    }
    window.show();
    window.resize(829, 611); // the plot 821 × 377, as the floor's
    window.openFile((programDir + "/long.wav").toStdString());
    while (window.busy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    auto* plot = window.findChild<QCustomPlot*>("Chart1");
    if (plot->size() != QSize(821, 377)) {
        st.SkipWithError("the plot is not the floor's size");
        return;
    }
    if (plot->graph(0)->dataCount() != kLines + 1) {
        st.SkipWithError("the record did not open as 1 000 000 lines");
        return;
    }
    if (st.range(0) == 2) { // the cursor on Fo, and H
        plot->xAxis->setRange(0, 2000);
        plot->replot();
        const QPointF at(plot->xAxis->coordToPixel(106.98), 100);
        QMouseEvent move(QEvent::MouseMove, at, plot->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QApplication::sendEvent(plot, &move);
        QKeyEvent h(QEvent::KeyPress, Qt::Key_H, Qt::NoModifier, "h");
        QApplication::sendEvent(&window, &h);
        if (!plot->accessibleName().contains("Гармоники")) {
            st.SkipWithError("the harmonic cursor was not placed");
            return;
        }
    }
    zoomAndRedraw(st, *plot);
}
BENCHMARK(BM_WorkbenchRedraw)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    programDir = dir.path();
    QApplication app(argc, argv);
    orbistan::ui::setUpApplication(app);
    // 2 000 000 samples at 48 kHz, transformed whole: 1 000 001 lines.
    orbistan::SynthSettings s;
    s.Fr = 29.95, s.Fo = 106.98, s.Fi = 162.57, s.Fw = 69.52, s.Fq = 11.89;
    s.sampleRate = 48000, s.seconds = 2.0 * kLines / 48000;
    orbistan::writeFileAtomically((programDir + "/long.wav").toStdString(),
                                  orbistan::encodeWav(orbistan::synthesize(s), 48000));
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
