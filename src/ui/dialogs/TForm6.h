#pragma once

#include "calc/messages.h"

#include <memory>

#include <QDialog>

namespace Ui {
class TForm6;
}

namespace orbistan::ui {

// Notice of the bearing base: no such bearing, or a record that cannot be saved.
class TForm6 : public QDialog {
    Q_OBJECT
public:
    explicit TForm6(QWidget* parent = nullptr);
    ~TForm6() override;

    void showNotInBase();
    void showCannotSave(const QString& folderText, const QString& firstLine = text::kDataNotSaved);

Q_SIGNALS:
    void thanked(); // "СПАСИБО": the save and delete flows return to rest

private:
    std::unique_ptr<Ui::TForm6> ui; // the form's controls, made by uic
};

} // namespace orbistan::ui
