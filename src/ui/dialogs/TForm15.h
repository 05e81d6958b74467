#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TForm15;
}

namespace orbistan::ui {

// Group notice; created with the others, opened by no action.
class TForm15 : public QDialog {
    Q_OBJECT
public:
    explicit TForm15(QWidget* parent = nullptr);
    ~TForm15() override;

private:
    std::unique_ptr<Ui::TForm15> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
