#include "ui/qt_translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace orbistan::ui {

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
