#pragma once
// Opens the spectrum window's library: beside the program (the build tree), where it is
// installed relative to the program, or where the build put it (the tests' programs, which
// lie elsewhere in the build tree). Never closed: the window's code must outlive the window.

#include "ui/kit/spectrum_workbench.h"

#include <QString>
#include <QStringList>

namespace orbistan::ui {

struct WorkbenchLibrary {
    CreateWorkbench create = nullptr;
    QString error; // for the user, when `create` is empty
};

// The places looked in, in order, for a program in `programDir`.
QStringList workbenchLibraryPlaces(const QString& programDir);

// The first of the places that exists, opened; an error for the user when it will not open
// or none exists.
WorkbenchLibrary openWorkbenchLibrary(const QStringList& places);
// The program's own places, opened once.
WorkbenchLibrary openWorkbenchLibrary();

} // namespace orbistan::ui
