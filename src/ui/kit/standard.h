#pragma once

class QRadioButton;

namespace orbistan::ui {

// The numbering standard in a window: the chosen caption blue and selected, the other navy.
void paintStandard(QRadioButton& russian, QRadioButton& other, int standard);

} // namespace orbistan::ui
