#pragma once

#include <memory>

#include <QWidget>

namespace Ui {
class TForm16;
}

namespace orbistan::ui {

// Spectrum window, sizeable.
class TForm16 : public QWidget {
    Q_OBJECT
public:
    explicit TForm16(QWidget* parent = nullptr);
    ~TForm16() override;

private:
    std::unique_ptr<Ui::TForm16> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
