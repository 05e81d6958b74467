#pragma once

#include "ui_TForm5.h"

#include <QDialog>

namespace orbistan::ui {

// Warning: a negative contact angle.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);

private:
    Ui::TForm5 ui;
};

} // namespace orbistan::ui
