// Start-up of the window program, offscreen: a process that creates the main window and the
// fifteen other windows and paints the main window once, against a process that does the same
// with a bare Qt Widgets window. The in-process variants show what the windows alone cost.
#include "heaviest_search.h"
#include "ui/kit/application.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QToolButton>
#include <benchmark/benchmark.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace {

std::string selfPath;

std::unique_ptr<QWidget> bareWindow() {
    auto w = std::make_unique<QWidget>();
    w->resize(760, 483);
    return w;
}

std::unique_ptr<QWidget> mainWindow() {
    auto w = std::make_unique<orbistan::ui::TForm1>();
    w->createWindows();
    return w;
}

// Shows the window and returns once its first paint has run.
void showAndPaint(QWidget& window) {
    struct PaintSpy : QObject {
        bool painted = false;
        bool eventFilter(QObject*, QEvent* e) override {
            painted = painted || e->type() == QEvent::Paint;
            return false;
        }
    } spy;
    window.installEventFilter(&spy);
    window.show();
    while (!spy.painted) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    window.removeEventFilter(&spy);
}

// One start-up as a child process: application, windows, first paint, exit.
int childMain(int argc, char** argv, bool full) {
    QApplication app(argc, argv);
    orbistan::ui::setUpApplication(app);
    auto window = full ? mainWindow() : bareWindow();
    showAndPaint(*window);
    return 0;
}

void runChild(benchmark::State& st, const char* mode) {
    for (auto _ : st) {
        const pid_t pid = fork();
        if (pid == 0) {
            execl(selfPath.c_str(), selfPath.c_str(), mode, static_cast<char*>(nullptr));
            _exit(127);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            st.SkipWithError("child start-up failed");
            return;
        }
    }
}

void BM_ProcessBareWindow(benchmark::State& st) {
    runChild(st, "--child-bare");
}
BENCHMARK(BM_ProcessBareWindow)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ProcessStartUp(benchmark::State& st) {
    runChild(st, "--child-main");
}
BENCHMARK(BM_ProcessStartUp)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_InProcessBareWindow(benchmark::State& st) {
    for (auto _ : st) {
        showAndPaint(*bareWindow());
    }
}
BENCHMARK(BM_InProcessBareWindow)->Unit(benchmark::kMillisecond);

void BM_InProcessStartUp(benchmark::State& st) {
    for (auto _ : st) {
        showAndPaint(*mainWindow());
    }
}
BENCHMARK(BM_InProcessStartUp)->Unit(benchmark::kMillisecond);

// The heaviest search through the real window, all fourteen lists of the results window
// filled, against the same search in the core alone (bench_core's BM_SearchCore).
void BM_WindowSearch(benchmark::State& st) {
    const orbistan::Heaviest& h = orbistan::heaviest();
    orbistan::ui::TForm1 w;
    w.createWindows();
    w.show();
    w.state().Precision = 100;
    const std::pair<const char*, QString> fields[] = {
        {"Edit1", "9"}, {"Edit2", "25"}, {"Edit3", "7,938"}, {"Edit4", "52"},  {"Edit5", "25"},
        {"Edit6", "0"}, {"Edit7", "20"}, {"Edit59", "0,5"},  {"Edit61", "50"}, {"Edit50", "40000"}};
    for (const auto& [name, text] : fields) {
        w.findChild<QLineEdit*>(name)->setText(text);
    }
    w.SpeedButton1Click();
    auto* display = w.findChild<QLineEdit*>("Edit8");
    auto* search = w.findChild<QToolButton*>("SpeedButton36");
    const QString value = QString::number(h.params.value);
    for (auto _ : st) {
        display->setText(value);
        search->click();
    }
    st.counters["value"] = h.params.value;
}
BENCHMARK(BM_WindowSearch)->Unit(benchmark::kMicrosecond);

void BM_CoreSearchInTheSameRun(benchmark::State& st) {
    const orbistan::Heaviest& h = orbistan::heaviest();
    for (auto _ : st) {
        benchmark::DoNotOptimize(orbistan::runSearch(h.bases, h.params, 100));
    }
}
BENCHMARK(BM_CoreSearchInTheSameRun)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    selfPath = std::filesystem::read_symlink("/proc/self/exe").string();
    QTemporaryDir dir; // the program directory that start-up fills with its data folders
    QDir::setCurrent(dir.path());
    if (argc == 2 && std::strncmp(argv[1], "--child-", 8) == 0) {
        return childMain(argc, argv, std::strcmp(argv[1], "--child-main") == 0);
    }
    QApplication app(argc, argv);
    orbistan::ui::setUpApplication(app);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
