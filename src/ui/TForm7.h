#pragma once

#include "ui/type_choices.h"
#include "ui_TForm7.h"

#include <QDialog>

namespace orbistan::ui {

// Save window of a new bearing: its number, type, notes and standard.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);

    void prepareNew(const QString& number); // type on "Не указывать"
    void clearInfo();
    void showStandard(int standard);
    QString number() const { return ui.Edit1->text(); }
    // The assembled information text, which either window's assembly sets.
    QString assembledInfo() const { return ui.Edit2->text(); }
    void setAssembledInfo(const QString& text) { ui.Edit2->setText(text); }
    void Button3Click(); // assembles this window's information text

    TypeChoices* choices() const { return choices_; }

signals:
    void saveConfirmed(); // "Сохранить"
    void standardChosen(int standard);

private:
    Ui::TForm7 ui;
    TypeChoices* choices_ = nullptr;
};

} // namespace orbistan::ui
