#include "spectrum/diagnosis/cursors.h"

#include "calc/numbers.h"
#include "spectrum/dsp/peaks.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace orbistan {

std::vector<std::size_t> thinLabels(const std::vector<LabelSpan>& spans, double gap) {
    std::vector<std::size_t> order(spans.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&spans](std::size_t a, std::size_t b) {
        return spans[a].priority != spans[b].priority ? spans[a].priority < spans[b].priority
                                                      : spans[a].left < spans[b].left;
    });
    std::vector<std::size_t> kept;
    for (const std::size_t i : order) {
        const bool clear = std::none_of(kept.begin(), kept.end(), [&](std::size_t k) {
            const LabelSpan &a = spans[i], &b = spans[k];
            return a.left < b.right + gap && b.left < a.right + gap && a.top <= b.bottom + gap &&
                   b.top <= a.bottom + gap;
        });
        if (clear) {
            kept.push_back(i);
        }
    }
    std::sort(kept.begin(), kept.end());
    return kept;
}

int markerLabelPriority(const MarkerLine& line) {
    return (line.sideband != 0 ? 10000 : 0) + 100 * std::abs(line.sideband) + 10 * line.harmonic +
           line.family;
}

namespace {

// The highest line within one line of f; the spectrum's lines ascend.
double amplitudeNear(const Spectrum& s, double f) {
    const auto at = std::lower_bound(s.frequency.begin(), s.frequency.end(), f);
    const std::size_t k = static_cast<std::size_t>(at - s.frequency.begin());
    double best = 0;
    for (std::size_t i = k > 0 ? k - 1 : 0; i <= k + 1 && i < s.frequency.size(); ++i) {
        best = std::max(best, s.amplitude[i]);
    }
    return best;
}

bool within(const Spectrum& s, double f) {
    return !s.frequency.empty() && f >= s.frequency.front() && f <= s.frequency.back();
}

std::string amplitudeText(double v) {
    return significantText(v, 4);
}

std::string fixedText(double v, int decimals) {
    const double scale = std::pow(10.0, decimals);
    return formatGeneral(std::round(v * scale) / scale);
}

std::string joined(const std::vector<CursorMark>& marks) {
    std::string text;
    for (const CursorMark& m : marks) {
        text += (text.empty() ? "" : " · ") + m.name + " " + amplitudeText(m.amplitude);
    }
    return text;
}

} // namespace

std::vector<CursorMark> harmonicMarks(const Spectrum& s, double fundamental, int count) {
    std::vector<CursorMark> marks;
    for (int k = 1; k <= count && fundamental > 0; ++k) {
        const double f = k * fundamental;
        if (!within(s, f)) {
            break;
        }
        marks.push_back({f, amplitudeNear(s, f), std::to_string(k) + "×"});
    }
    return marks;
}

std::vector<CursorMark> sidebandMarks(const Spectrum& s, double centre, double spacing, int count) {
    std::vector<CursorMark> marks;
    for (int k = -count; k <= count && spacing > 0; ++k) {
        const double f = centre + k * spacing;
        if (within(s, f)) {
            const std::string name =
                k == 0 ? "0" : (k < 0 ? "−" : "+") + std::to_string(std::abs(k));
            marks.push_back({f, amplitudeNear(s, f), name});
        }
    }
    return marks;
}

std::string harmonicReadout(const std::vector<CursorMark>& marks, double fundamental,
                            int decimals) {
    return "Гармоники " + fixedText(fundamental, decimals) + " Гц: " + joined(marks);
}

std::string sidebandReadout(const std::vector<CursorMark>& marks, double centre, double spacing,
                            int decimals) {
    return "Боковые " + fixedText(centre, decimals) + " ± " + fixedText(spacing, decimals) +
           " Гц: " + joined(marks);
}

std::pair<double, double> SpectrumCursor::snapped(const Spectrum& s, double frequency,
                                                  double reach) {
    const std::size_t line = snapToPeak(s, frequency, reach);
    return {refinedFrequency(s, line), s.amplitude[line]};
}

std::optional<double> SpectrumCursor::step(std::vector<double> peaks, int direction, double viewLow,
                                           double viewHigh) const {
    std::sort(peaks.begin(), peaks.end());
    const double from = position_.value_or(direction > 0 ? viewLow : viewHigh);
    const auto next = direction > 0 ? std::upper_bound(peaks.begin(), peaks.end(), from + 1e-9)
                                    : std::lower_bound(peaks.begin(), peaks.end(), from - 1e-9);
    if (direction > 0 ? next == peaks.end() : next == peaks.begin()) {
        return std::nullopt;
    }
    return direction > 0 ? *next : *(next - 1);
}

std::pair<double, double> SpectrumCursor::zoomed(double low, double high, double factor) const {
    const double centre = position_.value_or((low + high) / 2);
    return {centre - (centre - low) * factor, centre + (high - centre) * factor};
}

void SpectrumCursor::placeHarmonic(double fundamental) {
    centre_.reset();
    spacing_.reset();
    fundamental_ = fundamental;
}

void SpectrumCursor::placeSideband(double frequency) {
    fundamental_.reset();
    if (awaitingSpacing() && std::abs(frequency - *centre_) > 0) {
        spacing_ = std::abs(frequency - *centre_);
    } else {
        centre_ = frequency;
        spacing_.reset();
    }
}

void SpectrumCursor::setSpacing(double spacing) {
    if (centre_ && spacing > 0 && std::isfinite(spacing)) {
        spacing_ = spacing;
    }
}

void SpectrumCursor::clearMarks() {
    fundamental_.reset();
    centre_.reset();
    spacing_.reset();
}

std::vector<CursorMark> SpectrumCursor::marks(const Spectrum& s, std::string* readout) const {
    const int digits = frequencyDecimals(s.resolution);
    readout->clear();
    if (fundamental_) {
        std::vector<CursorMark> m = harmonicMarks(s, *fundamental_);
        *readout = harmonicReadout(m, *fundamental_, digits);
        return m;
    }
    if (centre_ && spacing_) {
        std::vector<CursorMark> m = sidebandMarks(s, *centre_, *spacing_);
        *readout = sidebandReadout(m, *centre_, *spacing_, digits);
        return m;
    }
    if (centre_) {
        *readout = "Боковые: центр " + fixedText(*centre_, digits) +
                   " Гц; поставьте курсор на боковую и нажмите B";
        return {{*centre_, 0, "0"}};
    }
    return {};
}

std::string significantText(double v, int digits) {
    if (v == 0 || !std::isfinite(v)) {
        return formatGeneral(v);
    }
    const double unit = std::pow(10.0, std::floor(std::log10(std::abs(v))) - (digits - 1));
    return formatGeneral(std::round(v / unit) * unit);
}

PeriodReading readPeriod(double seconds, const std::optional<SearchBases>& bases,
                         double tolerancePercent) {
    PeriodReading r;
    r.seconds = std::abs(seconds);
    r.hertz = r.seconds > 0 ? 1 / r.seconds : 0;
    if (!bases || !(r.hertz > 0)) {
        return r;
    }
    r.bearing = true;
    const std::pair<const char*, double> candidates[] = {{"Fr", bases->Fr},
                                                         {"Fo", bases->Fo},
                                                         {"Fi", bases->Fi},
                                                         {"2·Fw", 2 * bases->Fw},
                                                         {"Fq", bases->Fq}};
    double best = tolerancePercent / 100;
    for (const auto& [name, hz] : candidates) {
        const double off = hz > 0 ? r.hertz / hz - 1 : 0;
        if (hz > 0 && std::abs(off) <= best) {
            best = std::abs(off);
            r.nearest = name, r.nearestHertz = hz, r.offsetPercent = 100 * off;
        }
    }
    return r;
}

std::string periodReadout(const PeriodReading& r) {
    const bool milli = r.seconds < 1;
    std::string text = "Δt = " + significantText(milli ? r.seconds * 1000 : r.seconds, 4) +
                       (milli ? " мс" : " с") + " · 1/Δt = " + significantText(r.hertz, 4) + " Гц";
    if (r.nearest.empty()) {
        return r.bearing ? text + " · не частота подшипника" : text;
    }
    const double offset = std::round(r.offsetPercent * 10) / 10;
    return text + " ≈ " + r.nearest + " = " + fixedText(r.nearestHertz, 2) + " Гц (" +
           (offset > 0   ? "+"
            : offset < 0 ? "−"
                         : "±") +
           formatGeneral(std::abs(offset)) + " %)";
}

std::vector<double> periodicMarks(double first, double period, double from, double to,
                                  std::size_t limit) {
    std::vector<double> marks;
    if (!(period > 0) || !(to >= from)) {
        return marks;
    }
    const double k0 = std::max(0.0, std::ceil((from - first) / period));
    const double k1 = std::floor((to - first) / period);
    if (k1 < k0 || k1 - k0 + 1 > double(limit)) {
        return marks;
    }
    for (double k = k0; k <= k1; ++k) {
        marks.push_back(first + k * period);
    }
    return marks;
}

} // namespace orbistan
