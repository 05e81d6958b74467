#include "spectrum/dsp/statistics.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace orbistan {

namespace {

// P(a, x) by its series, for x < a + 1.
double lowerSeries(double a, double x) {
    double term = 1 / a, sum = term;
    for (int n = 1; n < 1000; ++n) {
        term *= x / (a + n);
        sum += term;
        if (std::abs(term) < std::abs(sum) * 1e-15) {
            break;
        }
    }
    return sum * std::exp(-x + a * std::log(x) - std::lgamma(a));
}

// ln Q(a, x) by its continued fraction (modified Lentz), for x ≥ a + 1.
double logUpperFraction(double a, double x) {
    constexpr double tiny =
        std::numeric_limits<double>::min() / std::numeric_limits<double>::epsilon();
    double b = x + 1 - a, c = 1 / tiny, d = 1 / b, h = d;
    for (int i = 1; i < 1000; ++i) {
        const double an = -i * (i - a);
        b += 2;
        d = an * d + b;
        d = std::abs(d) < tiny ? tiny : d;
        c = b + an / c;
        c = std::abs(c) < tiny ? tiny : c;
        d = 1 / d;
        const double delta = d * c;
        h *= delta;
        if (std::abs(delta - 1) < 1e-15) {
            break;
        }
    }
    return -x + a * std::log(x) - std::lgamma(a) + std::log(h);
}

// The median of a gamma variate of shape a and scale 1, solved for.
double solvedGammaMedian(double a) {
    double low = 0, high = a + 10 * std::sqrt(a) + 10;
    for (int i = 0; i < 200 && high - low > 1e-12 * high; ++i) {
        const double mid = (low + high) / 2;
        (gammaQ(a, mid) > 0.5 ? low : high) = mid;
    }
    return (low + high) / 2;
}

// The same, remembered for the last shapes asked on this thread: a spectrum's lines are all
// of one shape (its averages), and each line's chance is asked for.
double gammaMedian(double a) {
    constexpr std::size_t kRemembered = 4;
    thread_local std::array<std::pair<double, double>, kRemembered> known{};
    thread_local std::size_t oldest = 0;
    for (const auto& [shape, median] : known) {
        if (shape == a && shape > 0) {
            return median;
        }
    }
    const double median = solvedGammaMedian(a);
    known[oldest] = {a, median};
    oldest = (oldest + 1) % kRemembered;
    return median;
}

} // namespace

double gammaQ(double a, double x) {
    if (!(x > 0)) {
        return 1;
    }
    return x < a + 1 ? std::clamp(1 - lowerSeries(a, x), 0.0, 1.0)
                     : std::exp(logUpperFraction(a, x));
}

double log10GammaQ(double a, double x) {
    if (!(x > 0)) {
        return 0;
    }
    return (x < a + 1 ? std::log(std::clamp(1 - lowerSeries(a, x), 1e-300, 1.0))
                      : logUpperFraction(a, x)) /
           std::log(10.0);
}

double lineExceedance(double ratio, double averages) {
    const double k = std::max(1.0, averages);
    return gammaQ(k, ratio * ratio * gammaMedian(k));
}

double log10HighestExceedance(double ratio, double averages, double lines) {
    const double k = std::max(1.0, averages);
    const double one = log10GammaQ(k, ratio * ratio * gammaMedian(k));
    if (one < -8) { // 1 − (1 − p)^n is n·p to many digits here
        return one + std::log10(std::max(1.0, lines));
    }
    return std::log10(std::max(highestExceedance(ratio, averages, lines), 1e-300));
}

double highestExceedance(double ratio, double averages, double lines) {
    const double one = lineExceedance(ratio, averages);
    // 1 − (1 − p)^n, without losing a small p to rounding.
    return -std::expm1(std::max(1.0, lines) * std::log1p(-std::min(one, 1.0 - 1e-16)));
}

} // namespace orbistan
