#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TForm5;
}

namespace orbistan::ui {

// Warning: a negative contact angle.
class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget* parent = nullptr);
    ~TForm5() override;

private:
    std::unique_ptr<Ui::TForm5> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
