#pragma once

#include <QStringList>

class QPlainTextEdit;

namespace orbistan::ui {

// The lines of an information box as it lays them out: a wrapped paragraph gives several.
QStringList displayedLines(const QPlainTextEdit& box);

// The information text as stored: the first 80 lines, each cut to 100 characters, joined.
// Kept as typed; whether the code page can hold it is decided when it is written.
QString joinInformation(const QStringList& lines);

} // namespace orbistan::ui
