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

    std::size_t size() const { return n_; }

private:
    std::size_t n_;
    double rate_;
    fft::Forward forward_;
    fft::Inverse inverse_;
    const fftw_complex* lines_ = nullptr;
};

void checkBand(Band band, double sampleRate, std::size_t n) {
    const double nyquist = sampleRate / 2;
    if (!(band.low >= 0) || !(band.high <= nyquist) ||
        !(band.high - band.low >= 2 * sampleRate / n)) {
        throw SpectrumFileError("полоса огибающей должна лежать между 0 и " +
                                std::to_string(static_cast<long>(nyquist)) +
                                " Гц и быть шире двух линий записи");
    }
}

} // namespace

std::vector<double> squaredEnvelope(std::span<const double> samples, double sampleRate, Band band,
                                    const Progress& progress) {
    checkBand(band, sampleRate, samples.size());
    progress.step(0);
    RecordTransform record(samples, sampleRate);
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
                          const TransformSettings& settings, const Progress& progress) {
    const std::vector<double> e = squaredEnvelope(
        samples, sampleRate, band, Progress([&](double f) { progress.step(0.8 * f); }, nullptr));
    Spectrum s =
        amplitudeSpectrum(e, sampleRate, settings,
                          Progress([&](double f) { progress.step(0.8 + 0.2 * f); }, nullptr));
    s.units.quantity = Quantity::SquaredEnvelope;
    s.units.label = "Огибающая² " + std::to_string(static_cast<long>(band.low)) + "–" +
                    std::to_string(static_cast<long>(band.high)) + " Гц";
    return s;
}

SuggestedBand suggestBand(std::span<const double> samples, double sampleRate,
                          const Progress& progress) {
    if (samples.size() < 64) {
        throw SpectrumFileError("запись слишком коротка, чтобы выбрать полосу");
    }
    RecordTransform record(samples, sampleRate);
    const double nyquist = sampleRate / 2;
    std::vector<Band> bands;
    for (int level = 1; level <= 4; ++level) {
        const double width = nyquist / (1 << level);
        for (double low = 0; low + width <= nyquist + 1e-9; low += width / 2) {
            bands.push_back({low, std::min(nyquist, low + width)});
        }
    }
    SuggestedBand best;
    for (std::size_t b = 0; b < bands.size(); ++b) {
        progress.step(static_cast<double>(b) / bands.size());
        const fftw_complex* z = record.analytic(bands[b]);
        double m2 = 0, m4 = 0;
        for (std::size_t i = 0; i < record.size(); ++i) {
            const double p = z[i][0] * z[i][0] + z[i][1] * z[i][1];
            m2 += p;
            m4 += p * p;
        }
        m2 /= static_cast<double>(record.size());
        m4 /= static_cast<double>(record.size());
        const double kurtosis = m2 > 0 ? m4 / (m2 * m2) : 0;
        if (kurtosis > best.kurtosis) {
            best = {bands[b], kurtosis};
        }
    }
    progress.step(1);
    return best;
}

} // namespace orbistan
