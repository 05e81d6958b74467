#pragma once
// The main window as the window benchmarks run it: offscreen, in a fresh program folder of
// its own, the other windows made, the given fields typed; and the process's memory as
// /proc/self/status gives it.
#include "ui/kit/application.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QTemporaryDir>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <string>
#include <utility>

namespace orbistan::bench {

// A line of /proc/self/status ("VmRSS:", "VmHWM:") in KiB; -1 when absent.
inline long statusKiB(const char* key) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(key, 0) == 0) {
            return std::strtol(line.c_str() + std::strlen(key), nullptr, 10);
        }
    }
    return -1;
}

class OffscreenMainWindow {
public:
    using Fields = std::initializer_list<std::pair<const char*, const char*>>;
    OffscreenMainWindow(int& argc, char** argv, Fields fields) : app_(argc, argv) {
        ui::setUpApplication(app_);
        form_.createWindows();
        form_.show();
        for (const auto& [name, text] : fields) {
            form_.findChild<QLineEdit*>(name)->setText(text);
        }
    }
    ui::TForm1& form() { return form_; }

private:
    // In this order: the platform before the application, the folder before the window.
    bool offscreen_ = qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir_;
    bool entered_ = QDir::setCurrent(dir_.path());
    QApplication app_;
    ui::TForm1 form_;
};

} // namespace orbistan::bench
