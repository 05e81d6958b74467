#pragma once
// The four groups of type choices of the save and overwrite windows.

#include <QObject>
#include <array>

class QRadioButton;
class QWidget;

namespace orbistan::ui {

class TypeChoices : public QObject {
    Q_OBJECT
public:
    // Finds the sixteen choices RadioButton1 … RadioButton16 of the window by their names.
    explicit TypeChoices(QWidget& window);

    // Selects the choices of these codes ("Не указывать" for a code outside the table) and
    // gives the codes now shown.
    std::array<int, 4> select(const std::array<int, 4>& codes);

Q_SIGNALS:
    void chosen(int attribute, int code); // a choice the user made

private:
    std::array<std::array<QRadioButton*, 5>, 4> buttons_{}; // by attribute and code
};

} // namespace orbistan::ui
