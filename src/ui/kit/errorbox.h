#pragma once

#include <QString>

namespace orbistan::ui {

// The application's general error message box with the run-time text of the error code;
// the action that failed ends and the program keeps running.
void showRuntimeError(int code);
// The same, with a second paragraph that says what became of the file.
void showRuntimeError(int code, const QString& detail);

} // namespace orbistan::ui
