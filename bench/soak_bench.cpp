// Soak: one main window, offscreen, through 10 000 cycles of editing a field, computing and
// searching, painted after each. Prints the resident memory after 1 000 and after 10 000
// cycles; a window that keeps something per computation shows it as growth between the two.
//   ./build/bench/bench_soak [cycles]     (exit status 1 when the growth is over 5 %)
#include "offscreen_window.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 10000;
    orbistan::bench::OffscreenMainWindow window(argc, argv,
                                                {{"Edit1", "9"},
                                                 {"Edit3", "7,938"},
                                                 {"Edit4", "52"},
                                                 {"Edit5", "25"},
                                                 {"Edit6", "0"},
                                                 {"Edit9", "6205"}});
    orbistan::ui::TForm1& w = window.form();
    auto* fr = w.findChild<QLineEdit*>("Edit2");
    auto* display = w.findChild<QLineEdit*>("Edit8");
    auto* compute = w.findChild<QToolButton*>("SpeedButton1");
    auto* search = w.findChild<QToolButton*>("SpeedButton36");
    long after1000 = 0;
    for (int i = 1; i <= cycles; ++i) {
        fr->setText(QString::number(20 + i % 50)); // the field buttons turn blue
        compute->click();                          // and navy again
        display->setText("245,37");
        search->click();
        w.repaint();
        QCoreApplication::processEvents();
        if (i == 1000) {
            after1000 = orbistan::bench::statusKiB("VmRSS:");
        }
    }
    const long end = orbistan::bench::statusKiB("VmRSS:");
    const double growth = after1000 > 0 ? 100.0 * (end - after1000) / after1000 : 0;
    std::printf("resident after 1000 cycles: %.1f MiB\n", after1000 / 1024.0);
    std::printf("resident after %d cycles: %.1f MiB\n", cycles, end / 1024.0);
    std::printf("growth: %.1f %% (at most 5 %%)\n", growth);
    return growth <= 5.0 ? 0 : 1;
}
