#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TForm4;
}

namespace orbistan::ui {

// About window: text block, photograph and "Закрыть".
class TForm4 : public QDialog {
    Q_OBJECT
public:
    explicit TForm4(QWidget* parent = nullptr);
    ~TForm4() override;

private:
    std::unique_ptr<Ui::TForm4> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
