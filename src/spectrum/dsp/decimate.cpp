#include "spectrum/dsp/decimate.h"

#include <cmath>
#include <numbers>

namespace orbistan {

std::size_t decimationFactor(double rate, double span) {
    if (!(span > 0) || !(rate > 0)) {
        return 1;
    }
    const double factor = std::floor(rate / (kSamplesPerSpanHz * span));
    return factor >= 2 && factor < 1e9 ? static_cast<std::size_t>(factor) : 1;
}

namespace {

// The zeroth-order modified Bessel function, by its series (converges fast for β ≤ 20).
double besselI0(double x) {
    double sum = 1, term = 1;
    for (int k = 1; k < 64 && term > 1e-17 * sum; ++k) {
        term *= (x / (2 * k)) * (x / (2 * k));
        sum += term;
    }
    return sum;
}

// Cut off at the new Nyquist frequency; the transition reaches from the span (0,78 of
// it) to where a frequency would fold back onto the span (1,22 of it). Kaiser's formula for
// 90 dB over that width gives the length; the taps sum to 1 so that the gain is one.
constexpr double kAttenuation = 90;

// Half the filter's length for a factor, in taps, by Kaiser's formula.
double halfLength(double factor) {
    const double width = (1 - 2 / kSamplesPerSpanHz) / factor; // (1,22 − 0,78)·Nyquist
    return std::ceil((kAttenuation - 8) / (2.285 * 2 * std::numbers::pi * width) / 2);
}

std::vector<double> lowPassTaps(std::size_t factor) {
    const double beta = 0.1102 * (kAttenuation - 8.7);
    const double d = static_cast<double>(factor);
    const double cutoff = 0.5 / d; // cycles per sample
    const auto half = static_cast<std::size_t>(halfLength(d));
    std::vector<double> h(2 * half + 1);
    double sum = 0;
    for (std::size_t i = 0; i < h.size(); ++i) {
        const double t = static_cast<double>(i) - static_cast<double>(half);
        const double x = 2 * std::numbers::pi * cutoff * t;
        const double sinc = t == 0 ? 1 : std::sin(x) / x;
        const double r = t / static_cast<double>(half);
        h[i] = 2 * cutoff * sinc * besselI0(beta * std::sqrt(std::max(0.0, 1 - r * r)));
        sum += h[i];
    }
    for (double& v : h) {
        v /= sum;
    }
    return h;
}

// Four partial sums let the compiler keep four multiplications in flight.
double dot(const double* a, const double* b, std::size_t n) {
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        s0 += a[i] * b[i];
        s1 += a[i + 1] * b[i + 1];
        s2 += a[i + 2] * b[i + 2];
        s3 += a[i + 3] * b[i + 3];
    }
    for (; i < n; ++i) {
        s0 += a[i] * b[i];
    }
    return (s0 + s1) + (s2 + s3);
}

} // namespace

double samplesToNarrow(double rate, double span) {
    if (!(span > 0) || !(rate > 0)) {
        return 0;
    }
    const double factor = std::floor(rate / (kSamplesPerSpanHz * span));
    return factor >= 2 ? 2 * halfLength(factor) + 1 : 0;
}

std::vector<double> decimate(std::span<const double> samples, std::size_t factor,
                             const Progress& progress) {
    // Measured before the taps are made: they grow with the factor.
    if (static_cast<double>(samples.size()) < 2 * halfLength(static_cast<double>(factor)) + 1) {
        return {};
    }
    const std::vector<double> h = lowPassTaps(factor);
    const std::size_t count = (samples.size() - h.size()) / factor + 1;
    requireMemory(8.0 * static_cast<double>(count));
    std::vector<double> out(count);
    constexpr std::size_t kReportEvery = 1 << 14;
    for (std::size_t m = 0; m < count; ++m) {
        if (m % kReportEvery == 0) {
            progress.step(static_cast<double>(m) / static_cast<double>(count));
        }
        // The taps are symmetric: no need to reverse them.
        out[m] = dot(samples.data() + m * factor, h.data(), h.size());
    }
    return out;
}

} // namespace orbistan
