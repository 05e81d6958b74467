#pragma once

namespace orbistan::ui {

// The application's general error message box with the run-time text of the error code;
// the action that failed ends and the program keeps running.
void showRuntimeError(int code);

} // namespace orbistan::ui
