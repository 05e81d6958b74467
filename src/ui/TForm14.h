#pragma once

#include "ui_TForm14.h"

#include <QDialog>

namespace orbistan::ui {

// Deletion of a group file.
class TForm14 : public QDialog {
    Q_OBJECT
public:
    explicit TForm14(QWidget* parent = nullptr);

private:
    Ui::TForm14 ui;
};

} // namespace orbistan::ui
