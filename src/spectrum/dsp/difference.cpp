#include "spectrum/dsp/difference.h"

#include <algorithm>
#include <cmath>

namespace orbistan {

namespace {

// The baseline's amplitude at a frequency within its span, between its lines linearly.
double amplitudeAt(const Spectrum& s, double frequency) {
    const std::vector<double>& f = s.frequency;
    const auto at = std::lower_bound(f.begin(), f.end(), frequency);
    const auto k = static_cast<std::size_t>(at - f.begin());
    if (k == 0) {
        return s.amplitude.front();
    }
    if (k == f.size()) {
        return s.amplitude.back();
    }
    const double t = (frequency - f[k - 1]) / (f[k] - f[k - 1]);
    return s.amplitude[k - 1] + t * (s.amplitude[k] - s.amplitude[k - 1]);
}

double least(const Spectrum& baseline) {
    const auto highest = std::max_element(baseline.amplitude.begin(), baseline.amplitude.end());
    return highest != baseline.amplitude.end() && *highest > 0 ? *highest * 1e-6 : 1e-300;
}

double rise(double now, double before, double floor) {
    return 20 * std::log10(std::max(now, floor) / std::max(before, floor));
}

} // namespace

Spectrum differenceSpectrum(const Spectrum& shown, const Spectrum& baseline) {
    Spectrum d;
    d.source = shown.source;
    d.resolution = shown.resolution;
    d.units.label = "Разность";
    d.units.unit = Unit::Other;
    d.units.unitText = "дБ";
    if (baseline.frequency.empty()) {
        return d;
    }
    const double floor = least(baseline);
    for (std::size_t i = 0; i < shown.frequency.size(); ++i) {
        const double f = shown.frequency[i];
        if (f >= baseline.frequency.front() && f <= baseline.frequency.back()) {
            d.frequency.push_back(f);
            d.amplitude.push_back(rise(shown.amplitude[i], amplitudeAt(baseline, f), floor));
        }
    }
    return d;
}

std::vector<RisenLine> risenLines(const Spectrum& shown, const Spectrum& baseline,
                                  double alarmDecibels, std::size_t count) {
    std::vector<RisenLine> risen;
    if (baseline.frequency.empty()) {
        return risen;
    }
    const double floor = least(baseline);
    for (const Peak& p : findPeaks(shown, count)) {
        if (p.frequency < baseline.frequency.front() || p.frequency > baseline.frequency.back()) {
            continue;
        }
        // Peak against peak: the baseline's highest line within a line of either, so that
        // a line that merely moved between the lines does not count as risen.
        const double reach = std::max(shown.resolution, baseline.resolution);
        double before = amplitudeAt(baseline, p.frequency);
        const std::vector<double>& f = baseline.frequency;
        for (auto i = std::lower_bound(f.begin(), f.end(), p.frequency - reach);
             i != f.end() && *i <= p.frequency + reach; ++i) {
            before = std::max(before, baseline.amplitude[static_cast<std::size_t>(i - f.begin())]);
        }
        const double db = rise(p.amplitude, before, floor);
        if (db >= alarmDecibels) {
            risen.push_back({p.frequency, p.amplitude, before, db});
        }
    }
    std::stable_sort(risen.begin(), risen.end(), [](const RisenLine& a, const RisenLine& b) {
        return a.decibels > b.decibels;
    });
    return risen;
}

} // namespace orbistan
