#pragma once

#include "ui_TForm9.h"

#include <QDialog>

namespace orbistan::ui {

// Overwrite window of a stored bearing.
class TForm9 : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);

private:
    Ui::TForm9 ui;
};

} // namespace orbistan::ui
