#include "spectrum/dsp/peaks.h"

#include "spectrum/dsp/transform.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace orbistan {

namespace {

// Half the width of the neighbourhood whose median is the floor: wide enough that a peak
// and its window's skirts are a minority of it.
constexpr std::size_t kFloorHalfWidth = 25;

// The lines around `line` whose median is its floor; what lies below the first resolvable
// line is no floor of anything above it, so the neighbourhood is moved up, not cut.
std::pair<std::size_t, std::size_t> neighbourhood(std::size_t size, std::size_t line,
                                                  std::size_t first) {
    const std::size_t from = std::max(first, line > kFloorHalfWidth ? line - kFloorHalfWidth : 0);
    return {from, std::min(size, std::max(line, from + kFloorHalfWidth) + kFloorHalfWidth + 1)};
}

// Whether the line stands kPeakOverFloor times above the floor: whether more than half of
// its neighbourhood lies that far below it, which is the median's test counted without
// sorting (millions of lines are tested).
bool aboveFloor(const std::vector<double>& a, std::size_t line, std::size_t first) {
    const auto [from, to] = neighbourhood(a.size(), line, first);
    std::size_t below = 0;
    for (std::size_t i = from; i < to; ++i) {
        below += kPeakOverFloor * a[i] < a[line] ? 1 : 0;
    }
    return below > (to - from) / 2;
}

// How far (in lines, 0 … 0,5) a tone lies from its line towards the higher neighbour whose
// share of the line's amplitude is `ratio`: the window's own shape inverted, by bisection
// (the share grows from the shape's one line off to 1 half way).
double offsetByShape(WindowKind window, double ratio) {
    double low = 0, high = 0.5;
    for (int i = 0; i < 40; ++i) {
        const double mid = (low + high) / 2;
        (windowKernel(window, 1 - mid) / windowKernel(window, mid) < ratio ? low : high) = mid;
    }
    return (low + high) / 2;
}

} // namespace

bool ownPeak(const std::vector<double>& a, std::size_t i) {
    if (a.empty()) {
        return false;
    }
    const std::size_t from = i >= 2 ? i - 2 : 0, to = std::min(a.size() - 1, i + 2);
    for (std::size_t j = from; j <= to; ++j) {
        if (j != i && (a[j] > a[i] || (a[j] == a[i] && j < i))) {
            return false;
        }
    }
    return i > 0 && i + 1 < a.size();
}

double noiseFloor(const Spectrum& s, std::size_t line) {
    const auto [from, to] = neighbourhood(s.amplitude.size(), line, firstResolvableLine(s));
    std::vector<double> around(s.amplitude.begin() + from, s.amplitude.begin() + to);
    auto middle = around.begin() + around.size() / 2;
    std::nth_element(around.begin(), middle, around.end());
    return *middle;
}

double refinedFrequency(const Spectrum& s, std::size_t k) {
    const std::vector<double>& a = s.amplitude;
    const std::vector<double>& f = s.frequency;
    if (k == 0 || k + 1 >= a.size()) {
        return f[k];
    }
    if (s.window && a[k] > 0 && a[k] >= a[k - 1] && a[k] >= a[k + 1]) {
        const bool up = a[k + 1] >= a[k - 1];
        const double offset = offsetByShape(*s.window, (up ? a[k + 1] : a[k - 1]) / a[k]);
        return f[k] + (up ? offset * (f[k + 1] - f[k]) : -offset * (f[k] - f[k - 1]));
    }
    // A file's spectrum, of a window not known: a parabola through the logarithms.
    double l = a[k - 1], c = a[k], r = a[k + 1];
    if (l > 0 && c > 0 && r > 0) {
        l = std::log(l), c = std::log(c), r = std::log(r);
    }
    const double curvature = l - 2 * c + r;
    if (!(curvature < 0)) {
        return f[k];
    }
    const double offset = std::clamp(0.5 * (l - r) / curvature, -0.5, 0.5);
    return f[k] + offset * (offset < 0 ? f[k] - f[k - 1] : f[k + 1] - f[k]);
}

std::size_t snapToPeak(const Spectrum& s, double frequency, double reach) {
    const std::vector<double>& f = s.frequency;
    const std::vector<double>& a = s.amplitude;
    const auto at = std::lower_bound(f.begin(), f.end(), frequency);
    std::size_t nearest = static_cast<std::size_t>(at - f.begin());
    if (nearest == f.size() ||
        (nearest > 0 && frequency - f[nearest - 1] < f[nearest] - frequency)) {
        nearest = nearest == 0 ? 0 : nearest - 1;
    }
    const auto from = static_cast<std::size_t>(
        std::lower_bound(f.begin(), f.end(), frequency - reach) - f.begin());
    const auto to = static_cast<std::size_t>(
        std::upper_bound(f.begin(), f.end(), frequency + reach) - f.begin());
    std::size_t best = nearest;
    bool found = false;
    for (std::size_t k = std::max<std::size_t>(from, 1); k < to && k + 1 < a.size(); ++k) {
        if (a[k] > a[k - 1] && a[k] >= a[k + 1] && (!found || a[k] > a[best])) {
            best = k, found = true;
        }
    }
    return best;
}

std::size_t firstResolvableLine(const Spectrum& s) {
    const std::vector<double>& a = s.amplitude;
    const std::size_t lobe = s.window ? mainLobeHalfWidth(*s.window) : 0;
    const double lowest = 2 * double(lobe) * s.resolution;
    const auto resolvable = static_cast<std::size_t>(
        std::lower_bound(s.frequency.begin(), s.frequency.end(), lowest * (1 - 1e-9)) -
        s.frequency.begin());
    const auto nothing = static_cast<std::size_t>(
        std::find_if(a.begin(), a.end(), [](double v) { return v != 0; }) - a.begin());
    return std::max(resolvable, nothing == 0 ? 0 : nothing + 1);
}

std::vector<Peak> findPeaks(const Spectrum& s, std::size_t count) {
    const std::vector<double>& a = s.amplitude;
    const std::vector<double>& f = s.frequency;
    std::vector<Peak> peaks;
    const std::size_t first = firstResolvableLine(s);
    for (std::size_t k = std::max<std::size_t>(first, 1); k + 1 < a.size(); ++k) {
        // A flat top of two equal lines counts once, at its first line.
        if (a[k] > a[k - 1] && a[k] >= a[k + 1] && aboveFloor(a, k, first)) {
            peaks.push_back({f[k], a[k], k});
        }
    }
    const auto higher = [](const Peak& x, const Peak& y) {
        return x.amplitude != y.amplitude ? x.amplitude > y.amplitude : x.line < y.line;
    };
    if (peaks.size() > count) {
        std::partial_sort(peaks.begin(), peaks.begin() + static_cast<std::ptrdiff_t>(count),
                          peaks.end(), higher);
        peaks.resize(count);
    } else {
        std::sort(peaks.begin(), peaks.end(), higher);
    }
    for (Peak& p : peaks) {
        p.frequency = refinedFrequency(s, p.line); // only those kept: it costs a bisection
    }
    return peaks;
}

} // namespace orbistan
