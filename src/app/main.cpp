#include "platform/paths.h"
#include "platform/runtime_error.h"
#include "ui/kit/application.h"
#include "ui/kit/style.h"
#include "ui/main/TForm1.h"

#include <QApplication>
#include <QMessageBox>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

constexpr const char* kUserDataOption = "--user-data-dir";

// Started from the desktop menu (the desktop entry passes kUserDataOption), the program keeps
// its data in the user's data directory; from a terminal, in the directory it is started from.
bool wantsUserDataDir(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], kUserDataOption) == 0) {
            return true;
        }
    }
    return false;
}

// Empty on success, else what went wrong, for the user.
QString enterUserDataDir() {
    const std::filesystem::path dir =
        orbistan::userDataDir(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (dir.empty()) {
        return "Не задан домашний каталог (HOME).";
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec || chdir(dir.c_str()) != 0) {
        const std::string reason = ec ? ec.message() : std::strerror(errno);
        return QString("Не удаётся открыть каталог данных %1: %2")
            .arg(QString::fromStdString(dir.string()), QString::fromStdString(reason));
    }
    return {};
}

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    orbistan::ui::setUpApplication(app);
    if (wantsUserDataDir(argc, argv)) {
        if (const QString error = enterUserDataDir(); !error.isEmpty()) {
            QMessageBox::critical(nullptr, "Орбистан", error);
            return 1;
        }
    }

    orbistan::ui::TForm1 form1;
    form1.createWindows();
    form1.show();
    orbistan::ui::centerOnScreen(form1);
    const int status = QApplication::exec();
    orbistan::quietStandardErrorForExit();
    return status;
}
