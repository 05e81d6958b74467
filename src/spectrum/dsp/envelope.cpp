#include "spectrum/dsp/envelope.h"

#include "spectrum/dsp/decimate.h"
#include "spectrum/dsp/fft.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

namespace orbistan {

namespace {

void checkBand(Band band, double sampleRate, std::size_t n) {
    const double nyquist = sampleRate / 2;
    if (!(band.low >= 0) || !(band.high <= nyquist) ||
        !(band.high - band.low >= 2 * sampleRate / n)) {
        throw SpectrumFileError({ProblemKind::Unsuited, "",
                                 "полоса " + rateText(band.low) + "–" + rateText(band.high) + " Гц",
                                 "полоса огибающей должна лежать между 0 и " + rateText(nyquist) +
                                     " Гц и быть шире двух линий записи"});
    }
}

// The largest power of two the band's squared envelope may be decimated by: a band's
// envelope varies no faster than the band is wide, so its rate need only be twice the width
// (with a few lines to spare), and the envelope spectrum's segment must stay a whole number
// of lines at it. The whole record as one segment, or a record shorter than a segment, keeps
// the record's rate and length.
std::size_t envelopeFactor(std::size_t n, double rate, Band band, int lines) {
    const std::size_t segment = segmentLength(lines);
    if (segment == 0 || segment > n) {
        return 1;
    }
    const double needed = 2 * (band.high - band.low) + 4 * rate / static_cast<double>(n);
    std::size_t factor = 1;
    for (std::size_t next = 2; segment % next == 0 && segment / next >= 64 &&
                               segmentLength(lines / static_cast<int>(next)) == segment / next &&
                               rate / static_cast<double>(next) >= needed;
         next *= 2) {
        factor = next;
    }
    return factor;
}

// With a span of its own the record's spectrum would be decimated by `total`: the envelope
// is made at the record's rate over the largest factor of it that its band allows, and
// decimated by the rest, so that its lines fall where the record's spectrum's do.
std::size_t envelopeFactorForSpan(std::size_t n, double rate, Band band, std::size_t total) {
    const double needed = 2 * (band.high - band.low) + 4 * rate / static_cast<double>(n);
    for (std::size_t f = total; f > 1; --f) {
        if (total % f == 0 && n / f >= 64 && rate / static_cast<double>(f) >= needed) {
            return f;
        }
    }
    return 1;
}

// The band's squared envelope, its mean removed, at the record's rate over `factor`, made in
// one buffer about as long as the record: the record's lines, the band's lines moved down to
// 0 Hz and doubled (its analytic signal), and their inverse transform at the decimated
// rate. The record is padded to a length FFTW transforms fast, whatever its own.
class BandEnvelope {
public:
    BandEnvelope(std::span<const double> samples, double sampleRate, Band band, bool whiten,
                 std::size_t factor, const Progress& progress, bool removeMean = true)
        : factor_(factor), buffer_(paddedLength(samples.size(), factor)) {
        const std::size_t m = buffer_.size();
        requireMemory(10.0 * static_cast<double>(m));
        double* x = buffer_.samples();
        std::copy(samples.begin(), samples.end(), x);
        std::fill(x + samples.size(), x + m, 0.0);
        progress.step(0.05);
        buffer_.forward();
        if (factor_ > 1) {
            buffer_.releasePlans();
        }
        progress.step(0.4);
        const std::size_t lines = bandToBaseband(sampleRate, band, whiten);
        if (factor_ > 1) {
            buffer_.complexTransform(m / factor_, FFTW_BACKWARD);
            count_ = (samples.size() + factor_ - 1) / factor_;
            squaresInPlace(count_);
        } else {
            everySample(samples.size(), lines, progress);
        }
        progress.step(0.9);
        if (!removeMean) {
            return;
        }
        double mean = 0;
        for (const double v : values()) {
            mean += v;
        }
        mean /= static_cast<double>(count_);
        for (std::size_t i = 0; i < count_; ++i) {
            x[i] -= mean;
        }
    }

    std::span<const double> values() { return {buffer_.samples(), count_}; }

private:
    static std::size_t paddedLength(std::size_t n, std::size_t factor) {
        const std::size_t step = std::max<std::size_t>(factor, 2);
        return step * fft::leanSize((n + step - 1) / step, n);
    }

    // The band's positive lines, scaled to the analytic signal, moved to the start; the rest
    // of a decimated transform's length nothing. Returns how many lines the band has.
    // Pre-whitened (cepstral pre-whitening: each line's magnitude made one, its phase kept),
    // the resonances and discrete frequencies no longer dominate and the impacts' repetition
    // is what the envelope shows (Sawalhi and Randall; the most reliable of the methods Smith
    // and Randall compared on the CWRU data, MSSP 64-65, 2015).
    std::size_t bandToBaseband(double sampleRate, Band band, bool whiten) {
        const std::size_t m = buffer_.size();
        const double perLine = sampleRate / static_cast<double>(m);
        const auto first = static_cast<std::size_t>(std::max(1.0, std::ceil(band.low / perLine)));
        const auto last = std::min((m - 1) / 2, static_cast<std::size_t>(band.high / perLine));
        const std::size_t count = last >= first ? last - first + 1 : 0;
        fftw_complex* z = buffer_.lines();
        const double scale = 2.0 / static_cast<double>(m);
        for (std::size_t i = 0; i < count; ++i) {
            const double magnitude = whiten ? std::hypot(z[first + i][0], z[first + i][1]) : 1;
            const double s = magnitude > 0 ? scale / magnitude : scale;
            z[i][0] = s * z[first + i][0];
            z[i][1] = s * z[first + i][1];
        }
        const std::size_t length = m / std::max<std::size_t>(factor_, 2);
        // By the doubles: z[count] is past the end when every line is kept.
        double* const values = reinterpret_cast<double*>(z);
        std::fill(values + 2 * count, values + 2 * length, 0.0);
        return count;
    }

    // |z|² over the complex points, each written over the first half of its own.
    void squaresInPlace(std::size_t count) {
        const fftw_complex* z = buffer_.lines();
        double* e = buffer_.samples();
        for (std::size_t i = 0; i < count; ++i) {
            const double re = z[i][0], im = z[i][1];
            e[i] = re * re + im * im;
        }
    }

    // At the record's own rate, from transforms half as long: the even samples from the
    // lines as they are, then the odd ones from the same lines turned by half a sample of
    // the half rate. The even samples wait in single precision (a relative error of 6·10⁻⁸,
    // far below what an averaged spectrum resolves), so that the envelope of the whole band
    // needs half a record's worth of memory less.
    void everySample(std::size_t n, std::size_t lines, const Progress& progress) {
        const std::size_t m = buffer_.size(), half = m / 2;
        // One plan at a time: a plan of a long transform holds tables half the record's size.
        buffer_.releasePlans();
        buffer_.complexTransform(half, FFTW_BACKWARD);
        buffer_.releasePlans();
        std::vector<float> even((n + 1) / 2);
        const fftw_complex* z = buffer_.lines();
        for (std::size_t j = 0; j < even.size(); ++j) {
            even[j] = static_cast<float>(z[j][0] * z[j][0] + z[j][1] * z[j][1]);
        }
        progress.step(0.6);
        buffer_.complexTransform(half, FFTW_FORWARD);
        buffer_.releasePlans();
        fftw_complex* lineAt = buffer_.lines();
        const double scale = 1 / static_cast<double>(half);
        fft::Phasor turn(0, 2 * std::numbers::pi / static_cast<double>(m));
        for (std::size_t i = 0; i < lines; ++i, turn.next()) {
            const double c = turn.re() * scale, s = turn.im() * scale;
            const double re = lineAt[i][0], im = lineAt[i][1];
            lineAt[i][0] = re * c - im * s;
            lineAt[i][1] = re * s + im * c;
        }
        progress.step(0.7);
        buffer_.complexTransform(half, FFTW_BACKWARD);
        const std::size_t odd = n / 2;
        squaresInPlace(odd);
        double* e = buffer_.samples();
        for (std::size_t j = odd; j-- > 0;) {
            e[2 * j + 1] = e[j];
        }
        for (std::size_t j = 0; j < even.size(); ++j) {
            e[2 * j] = even[j];
        }
        count_ = n;
    }

    std::size_t factor_;
    fft::InPlace buffer_;
    std::size_t count_ = 0;
};

Progress part(const Progress& progress, double from, double to) {
    return Progress([&progress, from, to](double f) { progress.step(from + (to - from) * f); },
                    nullptr);
}

} // namespace

Spectrum envelopeSpectrum(std::span<const double> samples, double sampleRate, Band band,
                          const TransformSettings& settings, bool whiten,
                          const Progress& progress) {
    checkBand(band, sampleRate, samples.size());
    const std::size_t total = decimationFactor(sampleRate, settings.span);
    if (total > 1) {
        requireLengthToNarrow(samples.size(), sampleRate, settings.span);
    }
    const std::size_t factor =
        total > 1 ? envelopeFactorForSpan(samples.size(), sampleRate, band, total)
                  : envelopeFactor(samples.size(), sampleRate, band, settings.lines);
    const double rate = sampleRate / static_cast<double>(factor);
    Spectrum s;
    {
        BandEnvelope e(samples, sampleRate, band, whiten, factor, part(progress, 0, 0.8));
        const Progress rest = part(progress, 0.8, 1);
        s = total > 1 || factor == 1
                ? decimatedSpectrum(e.values(), rate, total / factor, settings, rest)
                : bandLimitedSpectrum(e.values(), rate, factor, settings, rest);
    }
    s.units.quantity = Quantity::SquaredEnvelope;
    s.units.label = std::string(whiten ? "Огибающая² выбеленного сигнала " : "Огибающая² ") +
                    std::to_string(std::lround(band.low)) + "–" +
                    std::to_string(std::lround(band.high)) + " Гц"; // as the band's fields round
    return s;
}

std::vector<double> envelopeSignal(std::span<const double> samples, double sampleRate, Band band,
                                   const Progress& progress) {
    checkBand(band, sampleRate, samples.size());
    BandEnvelope e(samples, sampleRate, band, false, 1, progress, false);
    std::vector<double> amplitude(e.values().begin(), e.values().end());
    for (double& v : amplitude) {
        v = std::sqrt(std::max(0.0, v));
    }
    return amplitude;
}

int envelopeLines(double sampleRate) {
    constexpr double kResolution = 1.5; // Hz
    for (const int lines : kLineChoices) {
        if (sampleRate / (2.56 * lines) <= kResolution) {
            return lines;
        }
    }
    return kLineChoices.back();
}

} // namespace orbistan
