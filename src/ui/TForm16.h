#pragma once

#include "ui_TForm16.h"

#include <QWidget>

namespace orbistan::ui {

// Spectrum window, sizeable.
class TForm16 : public QWidget {
    Q_OBJECT
public:
    explicit TForm16(QWidget* parent = nullptr);

private:
    Ui::TForm16 ui;
};

} // namespace orbistan::ui
