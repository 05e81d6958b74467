#pragma once

#include "ui_TForm10.h"

#include <QWidget>

namespace orbistan::ui {

// Results window of the frequency search.
class TForm10 : public QWidget {
    Q_OBJECT
public:
    explicit TForm10(QWidget* parent = nullptr);

private:
    Ui::TForm10 ui;
};

} // namespace orbistan::ui
