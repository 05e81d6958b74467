#include "ui/main/workbench_library.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

namespace orbistan::ui {

QStringList workbenchLibraryPlaces(const QString& programDir) {
    const QString file = QStringLiteral(ORBISTAN_WORKBENCH_FILE);
    return {programDir + '/' + file,
            programDir + '/' + QStringLiteral(ORBISTAN_WORKBENCH_INSTALLED_FROM_BIN) + '/' + file,
            QStringLiteral(ORBISTAN_WORKBENCH_BUILT)};
}

WorkbenchLibrary openWorkbenchLibrary(const QStringList& places) {
    WorkbenchLibrary result;
    for (const QString& place : places) {
        if (!QFileInfo::exists(place)) {
            continue;
        }
        // A library stays loaded when its QLibrary goes: the window's code outlives this.
        QLibrary library(place);
        result.create = reinterpret_cast<CreateWorkbench>(library.resolve(kCreateWorkbenchSymbol));
        if (!result.create) {
            result.error = "Окно спектра не открывается: библиотека " + place +
                           " не загружается (" + library.errorString() + ").";
        }
        return result;
    }
    result.error = "Окно спектра не открывается: его библиотека " +
                   QStringLiteral(ORBISTAN_WORKBENCH_FILE) +
                   " не найдена. Установите программу заново.";
    return result;
}

WorkbenchLibrary openWorkbenchLibrary() {
    static const WorkbenchLibrary opened =
        openWorkbenchLibrary(workbenchLibraryPlaces(QCoreApplication::applicationDirPath()));
    return opened;
}

} // namespace orbistan::ui
