#include "ui/kit/errorbox.h"

#include "platform/runtime_error.h"
#include "ui/kit/modal.h"

#include <QApplication>
#include <QMessageBox>

namespace orbistan::ui {

void showRuntimeError(int code) {
    showRuntimeError(code, {});
}

void showRuntimeError(int code, const QString& detail) {
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(),
                    QString::fromStdString(runtimeErrorText(code)), QMessageBox::Ok);
    box.setObjectName("RuntimeErrorBox");
    box.setInformativeText(detail);
    showModal(box);
}

} // namespace orbistan::ui
