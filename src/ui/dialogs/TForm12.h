#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TForm12;
}

namespace orbistan::ui {

// Notice: the external calculator is missing.
class TForm12 : public QDialog {
    Q_OBJECT
public:
    explicit TForm12(QWidget* parent = nullptr);
    ~TForm12() override;

private:
    std::unique_ptr<Ui::TForm12> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
