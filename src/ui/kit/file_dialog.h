#pragma once
// The one way the standard file dialogs are shown, so that tests can answer them.

#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

namespace orbistan::ui {

struct FileRequest {
    bool save = false; // a save dialog, or an open dialog
    QString directory; // where it starts
    QString filter;    // "*.group"
    QString defaultSuffix = "group";
    bool confirmOverwrite = false; // a group file is simply replaced
    // What is chosen: one file, a folder, or several files (their paths then one per line
    // of the answer).
    enum class Pick { File, Folder, Files } pick = Pick::File;
};

// Returns the chosen file, or an empty text when the user cancelled.
using FileDialogHandler = std::function<QString(const FileRequest&)>;
void setFileDialogHandler(FileDialogHandler handler);

QString chooseFile(QWidget* parent, const FileRequest& request);
// Several existing files, or a folder (a list of one), as the request picks; empty when the
// user cancelled.
QStringList choosePaths(QWidget* parent, const FileRequest& request);

} // namespace orbistan::ui
