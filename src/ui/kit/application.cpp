#include "ui/kit/application.h"

#include "ui/kit/style.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace orbistan::ui {

void setUpApplication(QApplication& app) {
    // No display name: Qt would append it to every window's title on the desktop, and the
    // captions are the program's own.
    QApplication::setApplicationName("Орбистан");
    QApplication::setDesktopFileName("org.orbistan.Orbistan");
    installQtTranslations(app);
    applyHouseStyle(app);
}

bool installQtTranslations(QCoreApplication& app) {
    const QString dir = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    auto* translator = new QTranslator(&app);
    // qt_ru is the catalogue that pulls in qtbase_ru and the other modules' files.
    if (translator->load("qt_ru", dir) || translator->load("qtbase_ru", dir)) {
        return QCoreApplication::installTranslator(translator);
    }
    delete translator;
    return false;
}

} // namespace orbistan::ui
