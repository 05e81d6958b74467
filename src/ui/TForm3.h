#pragma once

#include "ui/disagree.h"
#include "ui_TForm3.h"

#include <QDialog>
#include <memory>

namespace orbistan::ui {

// Warning: the outer diameter not greater than the inner one.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);

private:
    Ui::TForm3 ui;
    std::unique_ptr<DisagreeSwitch> answer_;
};

} // namespace orbistan::ui
