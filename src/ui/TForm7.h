#pragma once

#include "ui_TForm7.h"

#include <QDialog>

namespace orbistan::ui {

// Save window of a new bearing.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

private:
    Ui::TForm7 ui;
};

} // namespace orbistan::ui
