// Soak: one main window, offscreen, through 10 000 cycles of editing a field, computing and
// searching, painted after each. Prints the resident memory after 1 000 and after 10 000
// cycles; a window that keeps something per computation shows it as growth between the two.
//   ./build/bench/bench_soak [cycles]     (exit status 1 when the growth is over 5 %)
#include "ui/kit/application.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

namespace {

// Resident set size in KiB, from /proc/self/status.
long residentKiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::strtol(line.c_str() + 6, nullptr, 10);
        }
    }
    return -1;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const int cycles = argc > 1 ? std::atoi(argv[1]) : 10000;
    QTemporaryDir dir;
    QDir::setCurrent(dir.path());
    QApplication app(argc, argv);
    orbistan::ui::setUpApplication(app);
    orbistan::ui::TForm1 w;
    w.createWindows();
    w.show();
    const std::pair<const char*, const char*> fields[] = {{"Edit1", "9"},  {"Edit3", "7,938"},
                                                          {"Edit4", "52"}, {"Edit5", "25"},
                                                          {"Edit6", "0"},  {"Edit9", "6205"}};
    for (const auto& [name, text] : fields) {
        w.findChild<QLineEdit*>(name)->setText(text);
    }
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
            after1000 = residentKiB();
        }
    }
    const long end = residentKiB();
    const double growth = after1000 > 0 ? 100.0 * (end - after1000) / after1000 : 0;
    std::printf("resident after 1000 cycles: %.1f MiB\n", after1000 / 1024.0);
    std::printf("resident after %d cycles: %.1f MiB\n", cycles, end / 1024.0);
    std::printf("growth: %.1f %% (at most 5 %%)\n", growth);
    return growth <= 5.0 ? 0 : 1;
}
