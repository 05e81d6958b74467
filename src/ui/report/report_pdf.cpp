#include "ui/report/report_pdf.h"

#include "ui/report/report_page.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace orbistan {

namespace {

// Qt's notes on its own set-up (a missing runtime folder, fonts) are not the user's business;
// what goes wrong with the report is said by the command itself.
void keepQtQuiet(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        std::fprintf(stderr, "orbistan-cli: %s\n", message.toLocal8Bit().constData());
    }
}

} // namespace

std::string reportPdfBytes(const Report& report, const Workbench& doc) {
    // The plot is a widget: widgets need an application, here one without a screen.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(keepQtQuiet);
    int argc = 1;
    char name[] = "orbistan-cli";
    char* argv[] = {name, nullptr};
    // One report a process: the application lives while the page is drawn, and goes with it.
    std::optional<QApplication> app;
    if (!QApplication::instance()) {
        app.emplace(argc, argv);
    }
    return ui::reportPdf(report, doc, 0, 0).toStdString();
}

} // namespace orbistan
