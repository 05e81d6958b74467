#pragma once
// The one way modal windows are shown, so that tests can answer them synchronously.

#include <functional>

class QDialog;

namespace orbistan::ui {

// Receives the shown window and must close it by clicking one of its buttons.
using ModalHandler = std::function<void(QDialog&)>;

// With no handler set, windows run their own event loop (exec()).
void setModalHandler(ModalHandler handler);

// Shows the window modally and returns its result code.
int showModal(QDialog& dialog);

// How many windows a handler left open (each is closed by force); tests expect none.
int unansweredModalCount();

} // namespace orbistan::ui
