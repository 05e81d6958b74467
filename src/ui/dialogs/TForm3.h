#pragma once

#include "ui/dialogs/disagree.h"

#include <QDialog>
#include <memory>

namespace Ui {
class TForm3;
}

namespace orbistan::ui {

// Warning: the outer diameter not greater than the inner one.
class TForm3 : public QDialog {
    Q_OBJECT
public:
    explicit TForm3(QWidget* parent = nullptr);
    ~TForm3() override;

private:
    std::unique_ptr<Ui::TForm3> ui; // the form's controls, made by uic
    std::unique_ptr<DisagreeSwitch> answer_;
};

} // namespace orbistan::ui
