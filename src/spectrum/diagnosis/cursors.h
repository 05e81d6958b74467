#pragma once
// What the spectrum plot writes on itself, decided without a widget: which labels stand
// when they crowd, and the harmonic and sideband cursors an analyst places on a peak to see
// whether a family of lines is there.

#include "search/search.h"
#include "spectrum/diagnosis/markers.h"
#include "spectrum/signal/spectrum.h"

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
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

// A value to `digits` significant digits, as read-outs write amplitudes and levels.
std::string significantText(double value, int digits = 4);

// The time between two impacts an analyst marks on the waveform, as a frequency, and the
// bearing's frequency nearest to it: the shaft's Fr, the races' Fo and Fi, the rolling
// element's 2·Fw (it strikes both races each turn) or the cage's Fq.
struct PeriodReading {
    double seconds = 0, hertz = 0;
    std::string nearest; // "Fo", "2·Fw", …; empty without a bearing or none within tolerance
    double nearestHertz = 0;
    double offsetPercent = 0; // of 1/Δt from it
    bool bearing = false;     // a bearing was there to compare with
};
PeriodReading readPeriod(double seconds, const std::optional<SearchBases>& bases,
                         double tolerancePercent = 5);
// "Δt = 9,346 мс · 1/Δt = 107 Гц ≈ Fo = 106,98 Гц (+0,1 %)", "… · не частота подшипника".
std::string periodReadout(const PeriodReading& r);

// Every period from the first impact on, within [from, to]: the periodic cursor's marks; at
// most `limit` of them (none when more would be drawn than can be told apart).
std::vector<double> periodicMarks(double first, double period, double from, double to,
                                  std::size_t limit = 2000);

// The cursor an analyst moves over a spectrum, and the harmonic or sideband cursor placed
// from it: where each stands, where a key takes it, what it reads.
class SpectrumCursor {
public:
    // A frequency taken to the peak within `reach` Hz of it, placed between the lines as the
    // window's shape puts it; and that peak's amplitude.
    static std::pair<double, double> snapped(const Spectrum& s, double frequency, double reach);

    std::optional<double> position() const { return position_; }
    void moveTo(double frequency) { position_ = frequency; }

    // The next of the peaks past the cursor that way (direction +1 up, −1 down), from the
    // view's edge while the cursor stands nowhere; none past the last.
    std::optional<double> step(std::vector<double> peaks, int direction, double viewLow,
                               double viewHigh) const;
    // The view [low, high] zoomed by `factor` around the cursor, or around its middle.
    std::pair<double, double> zoomed(double low, double high, double factor) const;

    // The harmonic cursor on a fundamental. The sideband cursor's first placing sets its
    // centre, the next (elsewhere) its spacing; another starts again at a new centre. Each
    // takes the other's place.
    void placeHarmonic(double fundamental);
    void placeSideband(double frequency);
    // The sideband cursor's spacing given rather than measured (Fr, Fq, a typed value): a
    // peak snapped to lies where the spectrum's lines put it, not at the modulation's rate.
    // Only once a centre is placed, and above 0.
    void setSpacing(double spacing);
    bool centrePlaced() const { return centre_.has_value(); }
    void clearMarks();
    bool marksPlaced() const { return fundamental_ || centre_; }
    // The sideband cursor has its centre and waits for its spacing.
    bool awaitingSpacing() const { return centre_ && !spacing_; }
    // The marks the cursor placed on the spectrum, and its read-out (empty for none).
    std::vector<CursorMark> marks(const Spectrum& s, std::string* readout) const;

private:
    std::optional<double> position_, fundamental_, centre_, spacing_;
};

} // namespace orbistan
