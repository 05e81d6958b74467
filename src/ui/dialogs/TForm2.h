#pragma once

#include "ui/dialogs/disagree.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TForm2;
}

namespace orbistan::ui {

// Warning: Z, Fr, dw, D or d not greater than zero.
class TForm2 : public QDialog {
    Q_OBJECT
public:
    explicit TForm2(QWidget* parent = nullptr);
    ~TForm2() override;

private:
    std::unique_ptr<Ui::TForm2> ui; // the form's controls, made by uic
    std::unique_ptr<DisagreeSwitch> answer_;
};

} // namespace orbistan::ui
