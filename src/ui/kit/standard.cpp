#include "ui/kit/standard.h"

#include <QRadioButton>

namespace orbistan::ui {

void paintStandard(QRadioButton& russian, QRadioButton& other, int standard) {
    russian.setChecked(standard == 1);
    other.setChecked(standard == 0);
    russian.setStyleSheet(standard == 1 ? "QRadioButton { color: #0000ff; }"
                                        : "QRadioButton { color: #000080; }");
    other.setStyleSheet(standard == 0 ? "QRadioButton { color: #0000ff; }"
                                      : "QRadioButton { color: #000080; }");
}

} // namespace orbistan::ui
