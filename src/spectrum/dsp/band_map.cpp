#include "spectrum/dsp/band_map.h"

#include "calc/numbers.h"

#include "spectrum/dsp/fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>

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
// give its analytic signal; the squared envelope varies up to twice as fast as the band is
// wide, so it is made at twice the band's width, as its even and its odd samples, each by a
// transform as long as the band, in one buffer of the band's length.
class BandJudge {
public:
    BandJudge(const fftw_complex* lines, std::size_t n, double perLine, std::size_t bins)
        : lines_(lines), n_(n), perLine_(perLine),
          half_(fft::goodEvenSize(std::max<std::size_t>(bins, 16))), buffer_(2 * half_) {}

    double measure(Band band, double highestModulation) {
        const auto first = static_cast<std::size_t>(std::max(1.0, std::ceil(band.low / perLine_)));
        const auto last = std::min(n_ / 2, static_cast<std::size_t>(band.high / perLine_));
        if (last < first + 8) {
            return 0;
        }
        // Its lines are as far apart as the record's: from 1 Hz to the highest modulation
        // the band can carry.
        const auto from = static_cast<std::size_t>(std::max(1.0, std::ceil(1 / perLine_)));
        const auto to = std::min(
            half_,
            static_cast<std::size_t>(std::min(highestModulation, band.high - band.low) / perLine_));
        if (to < from + 8) {
            return 0;
        }
        const std::size_t count = std::min(last - first + 1, half_);
        const std::vector<std::complex<double>> even = halfSpectrum(first, count, false, to);
        const std::vector<std::complex<double>> odd = halfSpectrum(first, count, true, to);
        // The whole envelope's line k from its even and odd samples' lines.
        fft::Phasor turn(-std::numbers::pi * static_cast<double>(from) / static_cast<double>(half_),
                         -std::numbers::pi / static_cast<double>(half_));
        double m2 = 0, m4 = 0;
        for (std::size_t k = from; k <= to; ++k, turn.next()) {
            const std::complex<double> line = even[k] + std::complex(turn.re(), turn.im()) * odd[k];
            const double p = std::norm(line);
            m2 += p;
            m4 += p * p;
        }
        const double lineCount = static_cast<double>(to - from + 1);
        m2 /= lineCount;
        m4 /= lineCount;
        return m2 > 0 ? m4 / (m2 * m2) : 0;
    }

private:
    // Lines 0 … `to` of the squared envelope's even (or odd) samples at twice the band's
    // width.
    std::vector<std::complex<double>> halfSpectrum(std::size_t first, std::size_t count, bool odd,
                                                   std::size_t to) {
        fftw_complex* z = buffer_.lines();
        if (odd) { // half a sample of this rate later: each line turned by as much
            fft::Phasor turn(0, std::numbers::pi / static_cast<double>(half_));
            for (std::size_t i = 0; i < count; ++i, turn.next()) {
                const double re = lines_[first + i][0], im = lines_[first + i][1];
                z[i][0] = re * turn.re() - im * turn.im();
                z[i][1] = re * turn.im() + im * turn.re();
            }
        } else {
            // By the doubles: lines_[first] and z[count] may be past the end, when empty.
            const double* from = reinterpret_cast<const double*>(lines_) + 2 * first;
            std::copy(from, from + 2 * count, z[0]);
        }
        double* const values = reinterpret_cast<double*>(z);
        std::fill(values + 2 * count, values + 2 * half_, 0.0);
        buffer_.complexTransform(half_, FFTW_BACKWARD);
        double* e = buffer_.samples();
        for (std::size_t j = 0; j < half_; ++j) {
            e[j] = z[j][0] * z[j][0] + z[j][1] * z[j][1];
        }
        buffer_.forward(half_);
        // A real record's lines above half its length mirror those below (to ≤ half_).
        std::vector<std::complex<double>> wanted(to + 1);
        const std::size_t direct = std::min(to, half_ / 2);
        for (std::size_t k = 0; k <= direct; ++k) {
            wanted[k] = {z[k][0], z[k][1]};
        }
        for (std::size_t k = direct + 1; k <= to; ++k) {
            const std::size_t at = k == half_ ? 0 : half_ - k;
            wanted[k] = {z[at][0], -z[at][1]};
        }
        return wanted;
    }

    const fftw_complex* lines_;
    std::size_t n_;
    double perLine_;
    std::size_t half_;
    fft::InPlace buffer_;
};

// The record's lines, padded to a length FFTW transforms fast whatever the record's own, and
// pre-whitened: a machine's discrete frequencies would otherwise beat in any band that holds
// two of them and give its envelope spectrum lines that no impact made.
fft::InPlace whitenedLines(std::span<const double> samples) {
    const std::size_t n = fft::goodEvenSize(samples.size());
    requireMemory(8.0 * static_cast<double>(n));
    fft::InPlace record(n);
    std::copy(samples.begin(), samples.end(), record.samples());
    std::fill(record.samples() + samples.size(), record.samples() + n, 0.0);
    record.forward();
    record.releasePlans();
    fftw_complex* lines = record.lines();
    for (std::size_t k = 0; k <= n / 2; ++k) {
        const double magnitude = std::sqrt(lines[k][0] * lines[k][0] + lines[k][1] * lines[k][1]);
        if (magnitude > 0) {
            lines[k][0] /= magnitude;
            lines[k][1] /= magnitude;
        }
    }
    return record;
}

} // namespace

fft::InPlace preWhitened(std::span<const double> samples) {
    fft::InPlace record = whitenedLines(samples);
    record.backward(record.size());
    record.releasePlans();
    return record;
}

BandMap bandMap(std::span<const double> samples, double sampleRate, double highestFault,
                const Progress& progress) {
    const double highestModulation = 3 * highestFault;
    if (samples.size() < 256) {
        throw SpectrumFileError(
            {ProblemKind::Unsuited, "", "", "запись слишком коротка, чтобы выбрать полосу"});
    }
    fft::InPlace record = whitenedLines(samples);
    const std::size_t n = record.size();
    const fftw_complex* lines = record.lines();
    const double nyquist = sampleRate / 2, perLine = sampleRate / static_cast<double>(n);
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

std::string bandCellText(Band band, double measure) {
    // Band edges are whole hertz or halves of them at every level of the tree.
    const auto hz = [](double v) { return formatGeneral(std::round(v * 10) / 10); };
    const double rounded = std::round(measure * 100) / 100;
    return "Полоса " + hz(band.low) + "–" + hz(band.high) + " Гц · центр " +
           hz((band.low + band.high) / 2) + " Гц · ширина " + hz(band.high - band.low) +
           " Гц · эксцесс спектра огибающей " + formatGeneral(rounded);
}

} // namespace orbistan
