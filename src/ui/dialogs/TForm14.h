#pragma once

#include <memory>

#include <QDialog>

namespace Ui {
class TForm14;
}

namespace orbistan::ui {

// Deletion of a group file, named without its folder.
class TForm14 : public QDialog {
    Q_OBJECT
public:
    explicit TForm14(QWidget* parent = nullptr);
    ~TForm14() override;

    void setFileName(const QString& name);

Q_SIGNALS:
    void deleteConfirmed(); // "Удалить"

private:
    std::unique_ptr<Ui::TForm14> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
