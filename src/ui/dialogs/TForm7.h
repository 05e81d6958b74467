#pragma once

#include <memory>

#include "ui/dialogs/type_choices.h"

#include <QDialog>

namespace Ui {
class TForm7;
}

namespace orbistan::ui {

// Save window of a new bearing: its number, type, notes and standard.
class TForm7 : public QDialog {
    Q_OBJECT
public:
    explicit TForm7(QWidget* parent = nullptr);
    ~TForm7() override;

    void prepareNew(const QString& number); // type on "Не указывать"
    void clearInfo();
    void showStandard(int standard);
    QString number() const;
    // The assembled information text, which either window's assembly sets.
    QString assembledInfo() const;
    void setAssembledInfo(const QString& text);
    void Button3Click(); // assembles this window's information text

    TypeChoices* choices() const { return choices_; }

Q_SIGNALS:
    void saveConfirmed(); // "Сохранить"
    void standardChosen(int standard);

private:
    std::unique_ptr<Ui::TForm7> ui; // the form's controls, made by uic
    TypeChoices* choices_ = nullptr;
};

} // namespace orbistan::ui
