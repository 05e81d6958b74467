#pragma once
// The one way the standard file dialogs are shown, so that tests can answer them.

#include <QString>
#include <functional>

class QWidget;

namespace orbistan::ui {

struct FileRequest {
    bool save = false; // a save dialog, or an open dialog
    QString directory; // where it starts
    QString filter;    // "*.group"
    QString defaultSuffix = "group";
    bool confirmOverwrite = false; // a group file is simply replaced
};

// Returns the chosen file, or an empty text when the user cancelled.
using FileDialogHandler = std::function<QString(const FileRequest&)>;
void setFileDialogHandler(FileDialogHandler handler);

QString chooseFile(QWidget* parent, const FileRequest& request);

} // namespace orbistan::ui
