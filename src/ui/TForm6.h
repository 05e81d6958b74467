#pragma once

#include "ui_TForm6.h"

#include <QDialog>

namespace orbistan::ui {

// Notice of the bearing base: bearing not stored, or a folder missing.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);

private:
    Ui::TForm6 ui;
};

} // namespace orbistan::ui
