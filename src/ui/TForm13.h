#pragma once

#include "ui_TForm13.h"

#include <QWidget>

namespace orbistan::ui {

// Additional information of a bearing; opens at the top left of the screen.
class TForm13 : public QWidget {
    Q_OBJECT
public:
    explicit TForm13(QWidget* parent = nullptr);

private:
    Ui::TForm13 ui;
};

} // namespace orbistan::ui
