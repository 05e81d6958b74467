// The window's memory with a long record: the main window and a computed bearing, offscreen;
// the spectrum window opens the record, then «Подобрать» chooses the band and the envelope
// (the band map, the chosen band's envelope and the pre-whitened whole band's). Prints the
// resident memory with the record shown and the peak through the band choice, from
// /proc/self/status (VmRSS, VmHWM).
//   ./build/bench/bench_window_memory RECORD.wav      (orbistan-cli synth makes one)
#include "offscreen_window.h"
#include "ui/spectrum/TForm16.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QToolButton>

#include <cstdio>
#include <filesystem>

namespace {

double statusMiB(const char* key) {
    return static_cast<double>(orbistan::bench::statusKiB(key)) / 1024;
}

void waitUntilIdle(const orbistan::ui::TForm16& window) {
    do {
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    } while (window.busy());
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_window_memory RECORD.wav\n");
        return 2;
    }
    const std::filesystem::path record = std::filesystem::absolute(argv[1]);
    orbistan::bench::OffscreenMainWindow window(argc, argv,
                                                {{"Edit1", "9"},
                                                 {"Edit2", "29,95"},
                                                 {"Edit3", "7,94"},
                                                 {"Edit4", "39,04"},
                                                 {"Edit5", "25"},
                                                 {"Edit6", "0"}});
    orbistan::ui::TForm1& w = window.form();
    w.findChild<QToolButton*>("SpeedButton1")->click();
    auto* spectrum = dynamic_cast<orbistan::ui::TForm16*>(w.spectrumWindow());
    spectrum->show();
    spectrum->openFile(record);
    waitUntilIdle(*spectrum);
    std::printf("record shown: %.0f MiB resident, %.0f MiB at the peak\n", statusMiB("VmRSS:"),
                statusMiB("VmHWM:"));
    QElapsedTimer t;
    t.start();
    spectrum->findChild<QPushButton*>("suggestBandButton")->click();
    waitUntilIdle(*spectrum);
    std::printf("«Подобрать»: %.1f s, %.0f MiB at the peak (%.0f MB)\n", t.elapsed() / 1000.0,
                statusMiB("VmHWM:"), statusMiB("VmHWM:") * 1.048576);
    return 0;
}
