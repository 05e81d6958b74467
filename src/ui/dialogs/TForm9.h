#pragma once

#include <memory>

#include "ui/dialogs/type_choices.h"

#include <QDialog>
#include <array>

namespace Ui {
class TForm9;
}

namespace orbistan::ui {

// Overwrite window: the stored values of a bearing, red where they differ from the last
// computation, with its type, notes and standard.
class TForm9 : public QDialog {
    Q_OBJECT
public:
    explicit TForm9(QWidget* parent = nullptr);
    ~TForm9() override;

    // The five value texts d, D, a, dw, Z and whether each differs.
    void showStored(const QString& number, const std::array<QString, 5>& values,
                    const std::array<bool, 5>& differs, const QString& info);
    void markDifferences(const std::array<bool, 5>& differs);
    void clearInfo();
    void showStandard(int standard);
    QString assembledInfo() const;

    TypeChoices* choices() const { return choices_; }

Q_SIGNALS:
    void overwriteConfirmed(); // "Перезапись"
    void cancelled();          // "Отмена"
    void standardChosen(int standard);

private:
    std::unique_ptr<Ui::TForm9> ui; // the form's controls, made by uic
    TypeChoices* choices_ = nullptr;
};

} // namespace orbistan::ui
