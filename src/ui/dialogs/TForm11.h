#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TForm11;
}

namespace orbistan::ui {

// Delete confirmation of a stored bearing.
class TForm11 : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);
    ~TForm11() override;

    void setNumber(const QString& number);
    QString number() const;

Q_SIGNALS:
    void deleteConfirmed(); // "Удалить"

private:
    std::unique_ptr<Ui::TForm11> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
