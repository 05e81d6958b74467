#pragma once

#include "ui_TForm8.h"

#include <QDialog>

namespace orbistan::ui {

// Warning: unreadable input, or (second message) no computation with the current input.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);

    void showEnterCorrectly();
    void showNotComputed();

private:
    Ui::TForm8 ui;
};

} // namespace orbistan::ui
