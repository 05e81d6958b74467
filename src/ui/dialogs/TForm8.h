#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TForm8;
}

namespace orbistan::ui {

// Warning: unreadable input, or (second message) no computation with the current input.
class TForm8 : public QDialog {
    Q_OBJECT
public:
    explicit TForm8(QWidget* parent = nullptr);
    ~TForm8() override;

    void showEnterCorrectly();
    void showNotComputed();

private:
    std::unique_ptr<Ui::TForm8> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
