#include "spectrum/band_map.h"

#include "spectrum/fft.h"

#include <algorithm>
#include <cmath>

namespace orbistan {

namespace {

// The band widths of the 1/3-binary tree: Nyquist / 2, / 3, / 4, / 6, / 8, / 12, …
std::vector<double> bandwidths(double nyquist, double narrowest) {
    std::vector<double> widths;
    for (double divisor = 2;; divisor *= 2) {
        for (const double d : {divisor, divisor * 1.5}) {
            if (nyquist / d < narrowest) {
                return widths;
            }
            widths.push_back(nyquist / d);
        }
    }
}

// The kurtosis of a band's squared-envelope spectrum. The band's lines, moved down to 0 Hz,
// give its analytic signal at a rate just above its width by a transform no longer than the
// band (the record's own length only for the widest bands).
class BandJudge {
public:
    BandJudge(const fftw_complex* lines, std::size_t n, double perLine, std::size_t bins)
        : lines_(lines), n_(n), perLine_(perLine),
          m_(fft::goodSize(std::max<std::size_t>(bins, 16))), inverse_(m_), forward_(m_) {}

    double measure(Band band, double highestModulation) {
        const auto first = static_cast<std::size_t>(std::max(1.0, std::ceil(band.low / perLine_)));
        const auto last = std::min(n_ / 2, static_cast<std::size_t>(band.high / perLine_));
        if (last < first + 8) {
            return 0;
        }
        fftw_complex* z = inverse_.input();
        std::fill(z[0], z[0] + 2 * m_, 0.0);
        for (std::size_t k = first; k <= last && k - first < m_; ++k) {
            z[k - first][0] = lines_[k][0];
            z[k - first][1] = lines_[k][1];
        }
        const fftw_complex* a = inverse_.run();
        double* e = forward_.input();
        double mean = 0;
        for (std::size_t i = 0; i < m_; ++i) {
            e[i] = a[i][0] * a[i][0] + a[i][1] * a[i][1];
            mean += e[i];
        }
        mean /= static_cast<double>(m_);
        for (std::size_t i = 0; i < m_; ++i) {
            e[i] -= mean;
        }
        const fftw_complex* ses = forward_.run();
        // Its lines are as far apart as the record's: from 1 Hz to the highest modulation
        // the band can carry.
        const auto from = static_cast<std::size_t>(std::max(1.0, std::ceil(1 / perLine_)));
        const auto to = std::min(
            m_ / 2,
            static_cast<std::size_t>(std::min(highestModulation, band.high - band.low) / perLine_));
        if (to < from + 8) {
            return 0;
        }
        double m2 = 0, m4 = 0;
        for (std::size_t k = from; k <= to; ++k) {
            const double p = ses[k][0] * ses[k][0] + ses[k][1] * ses[k][1];
            m2 += p;
            m4 += p * p;
        }
        const double count = static_cast<double>(to - from + 1);
        m2 /= count;
        m4 /= count;
        return m2 > 0 ? m4 / (m2 * m2) : 0;
    }

private:
    const fftw_complex* lines_;
    std::size_t n_;
    double perLine_;
    std::size_t m_;
    fft::Inverse inverse_;
    fft::Forward forward_;
};

} // namespace

BandMap bandMap(std::span<const double> samples, double sampleRate, double highestFault,
                const Progress& progress) {
    const double highestModulation = 3 * highestFault;
    if (samples.size() < 256) {
        throw SpectrumFileError("запись слишком коротка, чтобы выбрать полосу");
    }
    const std::size_t n = samples.size();
    const double nyquist = sampleRate / 2, perLine = sampleRate / static_cast<double>(n);
    fft::Forward record(n);
    std::copy(samples.begin(), samples.end(), record.input());
    // Pre-whitened: a machine's discrete frequencies would otherwise beat in any band that
    // holds two of them and give its envelope spectrum lines that no impact made.
    fftw_complex* lines = record.run();
    for (std::size_t k = 0; k <= n / 2; ++k) {
        const double magnitude = std::hypot(lines[k][0], lines[k][1]);
        if (magnitude > 0) {
            lines[k][0] /= magnitude;
            lines[k][1] /= magnitude;
        }
    }
    const std::vector<double> widths =
        bandwidths(nyquist, std::max(highestModulation, 16 * perLine));
    std::size_t total = 0, done = 0;
    for (const double w : widths) {
        total += static_cast<std::size_t>(std::lround(nyquist / w));
    }
    BandMap map;
    for (const double w : widths) {
        BandJudge judge(lines, n, perLine, static_cast<std::size_t>(std::ceil(w / perLine)) + 1);
        BandMapLevel level{w, {}};
        const auto count = static_cast<std::size_t>(std::lround(nyquist / w));
        for (std::size_t i = 0; i < count; ++i) {
            progress.step(static_cast<double>(done++) / static_cast<double>(total));
            const Band band{static_cast<double>(i) * w, std::min(nyquist, (i + 1.0) * w)};
            level.measures.push_back(judge.measure(band, highestModulation));
            if (level.measures.back() > map.bestMeasure) {
                map.bestMeasure = level.measures.back();
                map.best = band;
            }
        }
        map.levels.push_back(std::move(level));
    }
    progress.step(1);
    return map;
}

SuggestedBand suggestBand(std::span<const double> samples, double sampleRate,
                          const Progress& progress) {
    const BandMap map = bandMap(samples, sampleRate, kDefaultHighestFault, progress);
    return {map.best, map.bestMeasure};
}

} // namespace orbistan
