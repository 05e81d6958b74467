#pragma once

#include "ui_TForm15.h"

#include <QDialog>

namespace orbistan::ui {

// Group notice; created with the others, opened by no action.
class TForm15 : public QDialog {
    Q_OBJECT
public:
    explicit TForm15(QWidget* parent = nullptr);

private:
    Ui::TForm15 ui;
};

} // namespace orbistan::ui
