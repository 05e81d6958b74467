#include "ui/kit/modal.h"

#include <QDialog>

namespace orbistan::ui {

namespace {
ModalHandler& handler() {
    static ModalHandler h;
    return h;
}
int unanswered = 0;
} // namespace

void setModalHandler(ModalHandler h) {
    handler() = std::move(h);
}

int showModal(QDialog& dialog) {
    if (!handler()) {
        return dialog.exec();
    }
    dialog.setResult(0);
    dialog.show();
    handler()(dialog);
    if (dialog.isVisible()) {
        ++unanswered;
        dialog.hide();
    }
    return dialog.result();
}

int unansweredModalCount() {
    return unanswered;
}

} // namespace orbistan::ui
