#include "ui/dialogs/type_choices.h"

#include <QRadioButton>
#include <QWidget>

namespace orbistan::ui {

namespace {
// The choice of each attribute and code, 0 "Не указывать" first.
constexpr int kNumbers[4][5] = {
    {10, 1, 2, 16, 0}, {11, 3, 4, 14, 15}, {12, 5, 6, 7, 0}, {13, 8, 9, 0, 0}};
} // namespace

TypeChoices::TypeChoices(QWidget& window) : QObject(&window) {
    for (int attribute = 0; attribute < 4; ++attribute) {
        for (int code = 0; code < 5; ++code) {
            const int number = kNumbers[attribute][code];
            if (number == 0) {
                continue;
            }
            auto* b = window.findChild<QRadioButton*>(QString("RadioButton%1").arg(number));
            buttons_[attribute][code] = b;
            connect(b, &QRadioButton::clicked, this,
                    [this, attribute, code] { Q_EMIT chosen(attribute, code); });
        }
    }
}

std::array<int, 4> TypeChoices::select(const std::array<int, 4>& codes) {
    std::array<int, 4> shown{};
    for (int attribute = 0; attribute < 4; ++attribute) {
        const int code = codes[attribute];
        QRadioButton* b = code >= 0 && code < 5 ? buttons_[attribute][code] : nullptr;
        shown[attribute] = b ? code : 0;
        (b ? b : buttons_[attribute][0])->setChecked(true);
    }
    return shown;
}

} // namespace orbistan::ui
