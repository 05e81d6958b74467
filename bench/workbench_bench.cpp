// The spectrum window's redraw after a zoom, with a spectrum of 1 000 000 lines, against a
// bare QCustomPlot of the same size drawing the same data in the same run.
#include "platform/atomic_file.h"
#include "spectrum/synth.h"
#include "spectrum/waveform.h"
#include "ui/kit/application.h"
#include "ui/spectrum/TForm16.h"
#include "ui/spectrum/plot.h"

#include <QApplication>
#include <QDir>
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

void BM_FloorBarePlotRedraw(benchmark::State& st) {
    QCustomPlot plot;
    plot.resize(821, 377);
    QVector<double> keys(kLines + 1), values(kLines + 1);
    for (int k = 0; k <= kLines; ++k) {
        keys[k] = k * 0.024;
        values[k] = 0.01 + 0.001 * static_cast<double>((k * 7919LL) % 1000) / 1000.0;
    }
    plot.addGraph()->setData(keys, values, true);
    plot.graph(0)->setPen(QPen(Qt::red));
    plot.show();
    QCoreApplication::processEvents();
    zoomAndRedraw(st, plot);
}
BENCHMARK(BM_FloorBarePlotRedraw)->Unit(benchmark::kMillisecond)->UseRealTime();

// The window as it draws a spectrum alone, and with the markers of a computed bearing.
void BM_WorkbenchRedraw(benchmark::State& st) {
    orbistan::ui::TForm16 window;
    window.setProgramDir(programDir.toStdString());
    if (st.range(0)) {
        window.setBearingSource([] {
            return std::optional<orbistan::WorkbenchBearing>(
                {{106.98, 162.57, 69.52, 11.89, 29.95}, {0, 1, 1, 10, 1000}, 1});
        });
    }
    window.show();
    window.openFile((programDir + "/long.wav").toStdString());
    while (window.busy()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    auto* plot = window.findChild<QCustomPlot*>("Chart1");
    if (plot->graph(0)->dataCount() != kLines + 1) {
        st.SkipWithError("the record did not open as 1 000 000 lines");
        return;
    }
    zoomAndRedraw(st, *plot);
}
BENCHMARK(BM_WorkbenchRedraw)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->UseRealTime();

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
    orbistan::writeFileAtomically((programDir + "/Spectrum.ini").toStdString(), "lines=0\n");
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
