#pragma once

#include "ui_TForm4.h"

#include <QDialog>

namespace orbistan::ui {

// About window: text block, photograph and "Закрыть".
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);

private:
    Ui::TForm4 ui;
};

} // namespace orbistan::ui
