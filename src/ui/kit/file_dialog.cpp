#include "ui/kit/file_dialog.h"

#include <QFileDialog>

namespace orbistan::ui {

namespace {
FileDialogHandler& handler() {
    static FileDialogHandler h;
    return h;
}
} // namespace

void setFileDialogHandler(FileDialogHandler h) {
    handler() = std::move(h);
}

QString chooseFile(QWidget* parent, const FileRequest& request) {
    if (handler()) {
        return handler()(request);
    }
    QFileDialog dialog(parent, QString(), request.directory, request.filter);
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return {};
    }
    return dialog.selectedFiles().first();
}

QStringList choosePaths(QWidget* parent, const FileRequest& request) {
    if (handler()) {
        const QString answer = handler()(request);
        return answer.isEmpty() ? QStringList() : answer.split('\n');
    }
    QFileDialog dialog(parent, QString(), request.directory, request.filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    const bool folder = request.pick == FileRequest::Pick::Folder;
    dialog.setFileMode(folder ? QFileDialog::Directory : QFileDialog::ExistingFiles);
    dialog.setOption(QFileDialog::ShowDirsOnly, folder);
    if (dialog.exec() != QDialog::Accepted) {
        return {};
    }
    return dialog.selectedFiles();
}

} // namespace orbistan::ui
