#pragma once

#include "ui_TForm14.h"

#include <QDialog>

namespace orbistan::ui {

// Deletion of a group file, named without its folder.
class TForm14 : public QDialog {
    Q_OBJECT
public:
    explicit TForm14(QWidget* parent = nullptr);

    void setFileName(const QString& name) { ui.Edit1->setText(name); }

signals:
    void deleteConfirmed(); // "Удалить"

private:
    Ui::TForm14 ui;
};

} // namespace orbistan::ui
