#pragma once

#include "ui_TForm6.h"

#include <QDialog>

namespace orbistan::ui {

// Notice of the bearing base: no such bearing, or a record that cannot be saved.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);

    void showNotInBase();
    void showCannotSave(const QString& folderText,
                        const QString& firstLine = "Данные не могут быть сохранены");

signals:
    void thanked(); // "СПАСИБО": the save and delete flows return to rest

private:
    Ui::TForm6 ui;
};

} // namespace orbistan::ui
