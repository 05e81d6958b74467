#include "spectrum/dsp/transform.h"

#include "spectrum/dsp/decimate.h"
#include "spectrum/dsp/fft.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <numbers>
#include <stdexcept>

namespace orbistan {

namespace {

// Flat top HFT95 (Heinzel et al.): within 0,0044 dB (0,05 %) of a sine's amplitude anywhere
// between two lines; the common five-term flat top errs twice as much. Each window is a sum
// of cosines, the k-th with the sign (−1)^k.
constexpr double kFlatTop[] = {1, 1.9383379, 1.3045202, 0.4028270, 0.0350665};
constexpr double kHann[] = {0.5, 0.5};
constexpr double kRect[] = {1};

std::span<const double> cosineTerms(WindowKind kind) {
    switch (kind) {
    case WindowKind::Hann:
        return kHann;
    case WindowKind::FlatTop:
        return kFlatTop;
    default:
        return kRect;
    }
}

double sinc(double x) {
    return x == 0 ? 1.0 : std::sin(std::numbers::pi * x) / (std::numbers::pi * x);
}

} // namespace

double windowKernel(WindowKind kind, double offset) {
    // The k-th cosine's sign cancels its shift's: each adds its coefficient's half at ±k.
    const std::span<const double> a = cosineTerms(kind);
    double sum = a[0] * sinc(offset);
    for (std::size_t k = 1; k < a.size(); ++k) {
        const auto shift = static_cast<double>(k);
        sum += a[k] / 2 * (sinc(offset - shift) + sinc(offset + shift));
    }
    return std::abs(sum) / a[0];
}

std::vector<double> windowCoefficients(WindowKind kind, std::size_t n) {
    std::vector<double> w(n, 1.0);
    if (kind == WindowKind::Rect) {
        return w;
    }
    // cos(2πi/n) by rotating a unit vector one step at a time, set exactly every block:
    // a long record's window costs a multiplication per sample instead of a cosine.
    constexpr std::size_t kExactEvery = 1024;
    const double step = 2 * std::numbers::pi / static_cast<double>(n);
    const double cs = std::cos(step), sn = std::sin(step);
    double c = 1, s = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i % kExactEvery == 0) {
            c = std::cos(step * static_cast<double>(i));
            s = std::sin(step * static_cast<double>(i));
        }
        if (kind == WindowKind::Hann) {
            w[i] = 0.5 - 0.5 * c;
        } else {
            // cos kx from cos x (Chebyshev).
            const double c2 = 2 * c * c - 1, c3 = (4 * c * c - 3) * c, c4 = 2 * c2 * c2 - 1;
            w[i] = kFlatTop[0] - kFlatTop[1] * c + kFlatTop[2] * c2 - kFlatTop[3] * c3 +
                   kFlatTop[4] * c4;
        }
        const double next = c * cs - s * sn;
        s = s * cs + c * sn;
        c = next;
    }
    return w;
}

std::size_t segmentLength(int lines) {
    return static_cast<std::size_t>(std::max(lines, 0)) * 256 / 100;
}

namespace {

// The power of each line summed over `segments` segments of n samples, each `hop` after the
// last; or, held, the largest of them.
std::vector<double> segmentPowers(std::span<const double> samples, std::size_t n, std::size_t hop,
                                  std::size_t segments, bool hold, std::size_t bins,
                                  const std::vector<double>& w, const Progress& progress) {
    std::vector<double> power(bins, 0.0);
    fft::Forward fft(n);
    for (std::size_t s = 0; s < segments; ++s) {
        progress.step(static_cast<double>(s) / segments);
        const double* segment = samples.data() + s * hop;
        double* in = fft.input();
        for (std::size_t i = 0; i < n; ++i) {
            in[i] = segment[i] * w[i];
        }
        const fftw_complex* out = fft.run();
        for (std::size_t k = 0; k < bins; ++k) {
            const double p = out[k][0] * out[k][0] + out[k][1] * out[k][1];
            power[k] = hold ? std::max(power[k], p) : power[k] + p;
        }
    }
    return power;
}

// The number of independent spectra that `segments` windowed segments overlapping by
// n − hop samples average to: neighbours share the window's overlap, and the correlation
// of their powers is the square of the normalised overlap (Welch).
double effectiveAverages(const std::vector<double>& w, std::size_t hop, std::size_t segments) {
    double energy = 0, shared = 0;
    for (std::size_t i = 0; i < w.size(); ++i) {
        energy += w[i] * w[i];
        if (i + hop < w.size()) {
            shared += w[i] * w[i + hop];
        }
    }
    const double rho = energy > 0 ? shared / energy : 0;
    const double s = static_cast<double>(segments);
    return segments > 1 ? s / (1 + 2 * (1 - 1 / s) * rho * rho) : 1.0;
}

// Where each segment starts after the last, as the averaging overlaps them.
std::size_t hopOf(const TransformSettings& settings, std::size_t n) {
    switch (settings.averaging) {
    case Averaging::Overlap0:
        return n;
    case Averaging::Overlap50:
        return std::max<std::size_t>(n / 2, 1);
    case Averaging::Overlap67:
        return std::max<std::size_t>(n / 3, 1);
    case Averaging::Overlap75:
        return std::max<std::size_t>(n / 4, 1);
    case Averaging::Auto:
    case Averaging::PeakHold:
        break;
    }
    return settings.window == WindowKind::Rect ? n : std::max<std::size_t>(n / 2, 1);
}

// The lines a transform of n samples shows: as many as asked of a whole segment, else all.
std::size_t shownBins(const TransformSettings& settings, std::size_t n, std::size_t asked) {
    return settings.lines > 0 && n == asked ? static_cast<std::size_t>(settings.lines) + 1
                                            : n / 2 + 1;
}

// As many segments as the record holds, or as the settings allow.
std::size_t segmentCount(const TransformSettings& settings, std::size_t samples, std::size_t n,
                         std::size_t hop) {
    const std::size_t all = 1 + (samples - n) / hop;
    return settings.averages > 0 ? std::min(all, static_cast<std::size_t>(settings.averages)) : all;
}

} // namespace

namespace {

// `wantedBins` lines, or 0 for as many as the settings show.
Spectrum transformAtRate(std::span<const double> samples, double sampleRate,
                         const TransformSettings& settings, const Progress& progress,
                         std::size_t wantedBins = 0) {
    if (samples.size() < 2 || !(sampleRate > 0)) {
        throw SpectrumFileError({ProblemKind::Unsuited, "", "", "в записи меньше двух отсчётов"});
    }
    const std::size_t asked = settings.lines > 0 ? segmentLength(settings.lines) : samples.size();
    const std::size_t n = std::min(asked, samples.size());
    // The transform's buffers, window, powers and spectrum: about 40 bytes a segment's sample.
    requireMemory(40.0 * static_cast<double>(n));
    const std::size_t hop = hopOf(settings, n);
    const std::size_t segments = segmentCount(settings, samples.size(), n, hop);
    const bool hold = settings.averaging == Averaging::PeakHold;
    // A periodic window's cosines sum to nothing over the period: its sum is n times its
    // constant term (0,5 for Hann; 1 for the flat top, whose coefficients are scaled so, and
    // for none).
    const double windowSum =
        static_cast<double>(n) * (settings.window == WindowKind::Hann ? 0.5 : 1.0);
    const std::size_t bins =
        wantedBins > 0 ? std::min(wantedBins, n / 2 + 1) : shownBins(settings, n, asked);
    const std::vector<double> w = windowCoefficients(settings.window, n);
    const std::vector<double> power =
        segmentPowers(samples, n, hop, segments, hold, bins, w, progress);
    Spectrum sp;
    // A held line is one segment's, as scattered as one transform's.
    sp.averages = hold ? 1.0 : effectiveAverages(w, hop, segments);
    sp.segments = static_cast<int>(segments);
    sp.peakHold = hold;
    sp.resolution = sampleRate / static_cast<double>(n);
    sp.window = settings.window;
    sp.frequency.resize(bins);
    sp.amplitude.resize(bins);
    const double rms = settings.scaling == Scaling::Rms ? std::numbers::sqrt2 / 2 : 1.0;
    for (std::size_t k = 0; k < bins; ++k) {
        // A sine's energy is split between k and n − k: both but the 0 Hz and Nyquist lines
        // count twice.
        const bool edge = k == 0 || 2 * k == n;
        const double magnitude = std::sqrt(power[k] / static_cast<double>(hold ? 1 : segments));
        sp.frequency[k] = static_cast<double>(k) * sp.resolution;
        sp.amplitude[k] = magnitude / windowSum * (edge ? 1.0 : 2.0 * rms);
    }
    sp.units.scaling = settings.scaling;
    progress.step(1);
    return sp;
}

} // namespace

void requireLengthToNarrow(std::size_t n, double sampleRate, double span) {
    // A span so narrow that the record is shorter than the filter that narrows to it is
    // refused: neither the whole band in its place nor a filter longer than the record.
    if (const double needed = samplesToNarrow(sampleRate, span); needed > static_cast<double>(n)) {
        throw SpectrumFileError(
            {ProblemKind::Unsuited, "", "макс. частота " + rateText(span) + " Гц",
             "запись слишком коротка: для такой полосы в ней должно быть не меньше " +
                 rateText(needed) + " отсчётов (" +
                 rateText(std::ceil(needed / sampleRate * 10) / 10) + " с), а их " +
                 std::to_string(n)});
    }
}

Spectrum decimatedSpectrum(std::span<const double> samples, double sampleRate, std::size_t factor,
                           const TransformSettings& settings, const Progress& progress) {
    if (factor < 2) {
        return transformAtRate(samples, sampleRate, settings, progress);
    }
    const std::vector<double> decimated =
        decimate(samples, factor, Progress([&](double f) { progress.step(0.6 * f); }, nullptr));
    if (decimated.size() < 2) { // shorter than the filter: the whole band it has
        return transformAtRate(samples, sampleRate, settings, progress);
    }
    const double rate = sampleRate / static_cast<double>(factor);
    Spectrum sp =
        transformAtRate(decimated, rate, settings,
                        Progress([&](double f) { progress.step(0.6 + 0.4 * f); }, nullptr));
    // The whole decimated record's lines reach the new Nyquist frequency, through the
    // filter's transition.
    const double shown = rate / kSamplesPerSpanHz;
    std::size_t keep = sp.frequency.size();
    while (keep > 2 && sp.frequency[keep - 1] > shown * (1 + 1e-9)) {
        --keep;
    }
    sp.frequency.resize(keep);
    sp.amplitude.resize(keep);
    return sp;
}

Spectrum amplitudeSpectrum(std::span<const double> samples, double sampleRate,
                           const TransformSettings& settings, const Progress& progress) {
    requireLengthToNarrow(samples.size(), sampleRate, settings.span);
    return decimatedSpectrum(samples, sampleRate, decimationFactor(sampleRate, settings.span),
                             settings, progress);
}

Spectrum bandLimitedSpectrum(std::span<const double> samples, double sampleRate, std::size_t factor,
                             const TransformSettings& settings, const Progress& progress) {
    const std::size_t segment = settings.lines > 0 ? segmentLength(settings.lines) : 0;
    TransformSettings slower = settings;
    slower.lines = settings.lines / static_cast<int>(factor);
    slower.span = 0;
    if (factor < 2 || segment == 0 || segment % factor != 0 ||
        segmentLength(slower.lines) != segment / factor || samples.size() * factor < segment) {
        throw std::invalid_argument("bandLimitedSpectrum: a factor the segment does not take");
    }
    // The lines up to this rate's Nyquist frequency, the record's content; above it nothing.
    Spectrum sp = transformAtRate(samples, sampleRate, slower, progress, segment / factor / 2 + 1);
    const auto bins = static_cast<std::size_t>(settings.lines) + 1;
    sp.frequency.resize(bins);
    sp.amplitude.resize(bins, 0.0);
    for (std::size_t k = 0; k < bins; ++k) {
        sp.frequency[k] = static_cast<double>(k) * sp.resolution;
    }
    return sp;
}

Spectrum recordSpectrum(const Waveform& record, const TransformSettings& settings,
                        const Progress& progress) {
    Spectrum s = amplitudeSpectrum(record.samples, record.sampleRate, settings, progress);
    const Scaling scaling = s.units.scaling;
    s.units = record.units;
    s.units.scaling = scaling;
    return s;
}

std::optional<Spectrum> toVelocity(const Spectrum& a, double lowCut) {
    const std::optional<double> scale = accelerationToMillimetres(a.units);
    if (!scale) {
        return std::nullopt;
    }
    Spectrum v = a;
    v.units = velocityUnits(a.units);
    for (std::size_t k = 0; k < v.amplitude.size(); ++k) {
        const double f = v.frequency[k];
        v.amplitude[k] =
            f > 0 && f >= lowCut ? v.amplitude[k] * *scale / (2 * std::numbers::pi * f) : 0;
    }
    return v;
}

std::size_t mainLobeHalfWidth(WindowKind kind) {
    return cosineTerms(kind).size();
}

} // namespace orbistan
