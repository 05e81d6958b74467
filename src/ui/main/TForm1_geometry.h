#pragma once
// Positions and sizes that code applies to the main window's form (TForm1.ui), in client
// coordinates; everything else the form itself places.

#include <QPoint>
#include <QSize>

namespace orbistan::ui::form1 {

inline constexpr QSize kClientSize{760, 483};

// The group list opens with its top-left corner here; the harmonic lists with their top-right.
inline constexpr QPoint kGroupListAnchor{625, 36};
inline constexpr QPoint kHarmonicListAnchor{370, 268};

// The keypad display and the coefficient box in the two search modes.
struct SearchBoxLayout {
    int left; // of the display and the box
    int displayWidth;
    int boxHeight;
};
inline constexpr SearchBoxLayout kAutomaticSearch{144, 99, 41};
inline constexpr SearchBoxLayout kManualSearch{160, 153, 65};

// The function-key strip: each label's left edge at rest and under the mouse.
struct FunctionKey {
    const char* label;
    int restingLeft;
    int hoverLeft;
};
inline constexpr FunctionKey kFunctionKeys[] = {
    {"Label90", 8, 4},     {"Label91", 128, 124}, {"Label92", 224, 218}, {"Label93", 352, 346},
    {"Label94", 464, 458}, {"Label95", 584, 578}, {"Label96", 686, 676}};

} // namespace orbistan::ui::form1
