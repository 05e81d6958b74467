#pragma once

#include "ui/disagree.h"
#include "ui_TForm2.h"

#include <QDialog>
#include <memory>

namespace orbistan::ui {

// Warning: Z, Fr, dw, D or d not greater than zero.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);

private:
    Ui::TForm2 ui;
    std::unique_ptr<DisagreeSwitch> answer_;
};

} // namespace orbistan::ui
