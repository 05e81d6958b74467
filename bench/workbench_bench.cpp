// The spectrum window's redraw after a zoom, with a spectrum of 1 000 000 lines, against a
// bare QCustomPlot of the same size drawing the same data in the same run; the waveform view
// of a record of 10 000 000 samples panned and zoomed, against a bare plot drawing two points
// a pixel column.
#include "platform/atomic_file.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/io/audio.h"
#include "spectrum/io/formats.h"
#include "ui/kit/application.h"
#include "ui/plot/plot.h"
#include "ui/spectrum/TForm16.h"
#include "ui/spectrum/waveform_view.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdint>

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

// ---- The waveform of 10 000 000 samples, panned and zoomed

constexpr std::size_t kWaveformSamples = 10000000;
constexpr double kWaveformRate = 48000;

// Impacts ringing a resonance over noise, as a bearing's record looks: made at once, not read.
const std::shared_ptr<const orbistan::Waveform>& longWaveform() {
    static const auto record = [] {
        auto w = std::make_shared<orbistan::Waveform>();
        w->sampleRate = kWaveformRate;
        w->samples.resize(kWaveformSamples);
        std::uint32_t state = 1;
        for (std::size_t i = 0; i < kWaveformSamples; ++i) {
            state = state * 1664525u + 1013904223u;
            const double since = double(i % 449) / kWaveformRate; // about 107 Hz
            w->samples[i] = (double(state >> 8) / double(1 << 24) - 0.5) +
                            3 * std::exp(-since * 800) * std::sin(2 * M_PI * 3000 * since);
        }
        return std::shared_ptr<const orbistan::Waveform>(std::move(w));
    }();
    return record;
}

// The views alternate between the whole record, a tenth, a hundredth and a thousandth of
// it, each somewhere else: every redraw reads the record anew.
void panAndZoom(benchmark::State& st, QCustomPlot& plot, double seconds) {
    int i = 0;
    for (auto _ : st) {
        const double span = seconds / std::pow(10.0, i % 4);
        const double from = (seconds - span) * double((i * 37) % 100) / 100;
        ++i;
        plot.xAxis->setRange(from, from + span);
        plot.replot(QCustomPlot::rpImmediateRefresh);
    }
}

// The floor: a bare plot of the waveform's plot's size drawing two points a pixel column
// (what any view of the record must draw at least).
void BM_FloorBareColumnsRedraw(benchmark::State& st) {
    QCustomPlot plot;
    plot.resize(821, 320);
    QVector<QCPGraphData> points;
    const double seconds = double(kWaveformSamples) / kWaveformRate;
    for (int c = 0; c < 821; ++c) {
        const double t = seconds * (c + 0.5) / 821;
        points.push_back({t, -1.0 - 0.001 * c});
        points.push_back({t, 1.0 + 0.001 * c});
    }
    plot.addGraph()->data()->set(points, true);
    plot.graph(0)->setAdaptiveSampling(false);
    plot.yAxis->setRange(-4, 4);
    plot.show();
    QCoreApplication::processEvents();
    int i = 0;
    for (auto _ : st) { // every column in view at every redraw
        const double shift = seconds * 1e-6 * (i++ % 2);
        plot.xAxis->setRange(shift, seconds + shift);
        plot.replot(QCustomPlot::rpImmediateRefresh);
    }
}
BENCHMARK(BM_FloorBareColumnsRedraw)->Unit(benchmark::kMillisecond)->UseRealTime();

// The «Сигнал» view of the record, its plot the floor's size: the columns from the record's
// summary, the levels of the part shown, the axis fitted.
void BM_WaveformPanAndZoom(benchmark::State& st) {
    const auto& record = longWaveform();
    const orbistan::RangeExtremes summary(record->samples);
    orbistan::ui::WaveformView view;
    view.show();
    view.resize(821, 400);
    QCoreApplication::processEvents();
    QCustomPlot* plot = view.plot();
    view.resize(view.size() + QSize(0, 320 - plot->height()));
    QCoreApplication::processEvents();
    if (plot->size() != QSize(821, 320)) {
        st.SkipWithError("the plot is not the floor's size");
        return;
    }
    view.showRecord(record, &summary, orbistan::unitsFromText("g"));
    panAndZoom(st, *plot, double(kWaveformSamples) / kWaveformRate);
}
BENCHMARK(BM_WaveformPanAndZoom)->Unit(benchmark::kMillisecond)->UseRealTime();

// Summarising the record once, off the window's thread, against one pass that reads it.
void BM_FloorReadTheRecord(benchmark::State& st) {
    const auto& record = longWaveform();
    for (auto _ : st) {
        double sum = 0;
        for (const double v : record->samples) {
            sum += v;
        }
        benchmark::DoNotOptimize(sum);
    }
}
BENCHMARK(BM_FloorReadTheRecord)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WaveformSummary(benchmark::State& st) {
    const auto& record = longWaveform();
    for (auto _ : st) {
        benchmark::DoNotOptimize(orbistan::RangeExtremes(record->samples));
    }
}
BENCHMARK(BM_WaveformSummary)->Unit(benchmark::kMillisecond)->UseRealTime();

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
