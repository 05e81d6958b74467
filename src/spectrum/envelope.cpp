#include "spectrum/envelope.h"

#include "spectrum/fft.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace orbistan {

namespace {

// The record's forward transform, kept for every band cut from it.
class RecordTransform {
public:
    RecordTransform(std::span<const double> samples, double sampleRate)
        : n_(samples.size()), rate_(sampleRate), forward_(n_), inverse_(n_) {
        std::copy(samples.begin(), samples.end(), forward_.input());
        lines_ = forward_.run();
    }

    // The band's analytic signal: positive lines in the band doubled, all others nothing.
    const fftw_complex* analytic(Band band) {
        fftw_complex* z = inverse_.input();
        const double perLine = rate_ / static_cast<double>(n_);
        const auto first = static_cast<std::size_t>(std::max(1.0, std::ceil(band.low / perLine)));
        const auto last = std::min((n_ - 1) / 2, static_cast<std::size_t>(band.high / perLine));
        std::fill(z[0], z[0] + 2 * n_, 0.0);
        const double scale = 2.0 / static_cast<double>(n_);
        for (std::size_t k = first; k <= last; ++k) {
            z[k][0] = scale * lines_[k][0];
            z[k][1] = scale * lines_[k][1];
        }
        return inverse_.run();
    }

    // Cepstral pre-whitening: every line's magnitude set to one, its phase kept, so that the
    // resonances and discrete frequencies no longer dominate and the impacts' repetition is
    // what the envelope shows (Sawalhi and Randall; the most reliable of the methods compared
    // in Smith and Randall, "Rolling element bearing diagnostics using the Case Western
    // Reserve University data: a benchmark study", MSSP 64-65, 2015).
    void whiten() {
        for (std::size_t k = 0; k <= n_ / 2; ++k) {
            const double magnitude = std::hypot(lines_[k][0], lines_[k][1]);
            if (magnitude > 0) {
                lines_[k][0] /= magnitude;
                lines_[k][1] /= magnitude;
            }
        }
    }

    std::size_t size() const { return n_; }

private:
    std::size_t n_;
    double rate_;
    fft::Forward forward_;
    fft::Inverse inverse_;
    fftw_complex* lines_ = nullptr;
};

void checkBand(Band band, double sampleRate, std::size_t n) {
    const double nyquist = sampleRate / 2;
    if (!(band.low >= 0) || !(band.high <= nyquist) ||
        !(band.high - band.low >= 2 * sampleRate / n)) {
        throw SpectrumFileError("полоса " + rateText(band.low) + "–" + rateText(band.high) +
                                " Гц: полоса огибающей должна лежать между 0 и " +
                                rateText(nyquist) + " Гц и быть шире двух линий записи");
    }
}

} // namespace

std::vector<double> squaredEnvelope(std::span<const double> samples, double sampleRate, Band band,
                                    bool whiten, const Progress& progress) {
    checkBand(band, sampleRate, samples.size());
    // The record's forward and inverse transforms and the envelope: about 56 bytes a sample.
    requireMemory(56.0 * static_cast<double>(samples.size()));
    progress.step(0);
    RecordTransform record(samples, sampleRate);
    if (whiten) {
        record.whiten();
    }
    progress.step(0.4);
    const fftw_complex* z = record.analytic(band);
    std::vector<double> e(record.size());
    double mean = 0;
    for (std::size_t i = 0; i < e.size(); ++i) {
        e[i] = z[i][0] * z[i][0] + z[i][1] * z[i][1];
        mean += e[i];
    }
    mean /= static_cast<double>(e.size());
    for (double& v : e) {
        v -= mean;
    }
    return e;
}

Spectrum envelopeSpectrum(std::span<const double> samples, double sampleRate, Band band,
                          const TransformSettings& settings, bool whiten,
                          const Progress& progress) {
    const std::vector<double> e =
        squaredEnvelope(samples, sampleRate, band, whiten,
                        Progress([&](double f) { progress.step(0.8 * f); }, nullptr));
    // The envelope's lines are chosen for its band and rate; a span asked of the record's
    // spectrum does not narrow them.
    TransformSettings lines = settings;
    lines.span = 0;
    Spectrum s = amplitudeSpectrum(
        e, sampleRate, lines, Progress([&](double f) { progress.step(0.8 + 0.2 * f); }, nullptr));
    s.units.quantity = Quantity::SquaredEnvelope;
    s.units.label = std::string(whiten ? "Огибающая² выбеленного сигнала " : "Огибающая² ") +
                    std::to_string(std::lround(band.low)) + "–" +
                    std::to_string(std::lround(band.high)) + " Гц"; // as the band's fields round
    return s;
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
