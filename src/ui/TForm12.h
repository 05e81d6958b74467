#pragma once

#include "ui_TForm12.h"

#include <QDialog>

namespace orbistan::ui {

// Notice: the external calculator is missing.
class TForm12 : public QDialog {
    Q_OBJECT
public:
    explicit TForm12(QWidget* parent = nullptr);

private:
    Ui::TForm12 ui;
};

} // namespace orbistan::ui
