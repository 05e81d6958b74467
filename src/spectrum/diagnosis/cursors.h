#pragma once
// What the spectrum plot writes on itself, decided without a widget: which labels stand
// when they crowd, and the harmonic and sideband cursors an analyst places on a peak to see
// whether a family of lines is there.

#include "spectrum/diagnosis/markers.h"
#include "spectrum/signal/spectrum.h"

#include <cstddef>
#include <string>
#include <vector>

namespace orbistan {

// A label's extent on the plot, in pixels (labels in one row may leave top and bottom 0), and
// how much it matters (lower first).
struct LabelSpan {
    double left = 0, right = 0;
    int priority = 0;
    double top = 0, bottom = 0;
};

// The labels that stand: the most important first, each only where it keeps `gap` pixels
// clear of every label standing already, across or down; ties go to the lower frequency. In
// the order given.
std::vector<std::size_t> thinLabels(const std::vector<LabelSpan>& spans, double gap);

// A marker line's priority as a label: the harmonics before their sidebands, the lower
// harmonic first, the families in their order.
int markerLabelPriority(const MarkerLine& line);

struct CursorMark {
    double frequency = 0; // where the cursor puts it
    double amplitude = 0; // the highest line within one line of it
    std::string name;     // "3×", "−2", "0", "+1"
};

// 1× … count× of the fundamental, as far as the spectrum reaches.
std::vector<CursorMark> harmonicMarks(const Spectrum& s, double fundamental, int count = 10);

// The centre and count sidebands either side, spacing apart, within the spectrum.
std::vector<CursorMark> sidebandMarks(const Spectrum& s, double centre, double spacing,
                                      int count = 5);

// "Гармоники 106,98 Гц: 1× 0,5 · 2× 0,31 · …" and "Боковые 162,57 ± 29,95 Гц: −1 0,2 · 0 1 · …":
// the fundamental or the centre and spacing with the frequency's decimals, the amplitudes to
// four significant digits.
std::string harmonicReadout(const std::vector<CursorMark>& marks, double fundamental, int decimals);
std::string sidebandReadout(const std::vector<CursorMark>& marks, double centre, double spacing,
                            int decimals);

} // namespace orbistan
