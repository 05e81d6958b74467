#pragma once

#include "ui_TForm11.h"

#include <QDialog>

namespace orbistan::ui {

// Delete confirmation of a stored bearing.
class TForm11 : public QDialog {
    Q_OBJECT
public:
    explicit TForm11(QWidget* parent = nullptr);

    void setNumber(const QString& number) { ui.Edit1->setText(number); }
    QString number() const { return ui.Edit1->text(); }

signals:
    void deleteConfirmed(); // "Удалить"

private:
    Ui::TForm11 ui;
};

} // namespace orbistan::ui
