#include "spectrum/dsp/fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <map>
#include <mutex>
#include <new>
#include <numbers>
#include <tuple>

namespace orbistan::fft {

namespace {

std::mutex& plannerMutex() {
    static std::mutex m;
    return m;
}

template <typename T> Buffer<T> allocate(std::size_t count) {
    Buffer<T> b(static_cast<T*>(fftw_malloc(sizeof(T) * count)));
    if (!b) {
        throw std::bad_alloc();
    }
    return b;
}

// Plans of short transforms, made once and shared by every buffer and thread (FFTW runs a
// plan on other arrays of the same alignment, and fftw_malloc aligns them all): a series of
// records asks for the same few lengths thousands of times. Long transforms' tables are as
// large as they are, so their plans stay with their buffers.
constexpr std::size_t kSharedPlanLength = std::size_t{1} << 16;

enum class PlanKind { RealForward, Complex };

// Under plannerMutex.
fftw_plan sharedPlan(PlanKind kind, std::size_t n, int sign) {
    // Never destroyed: the plans live as long as the program, reachable to the end.
    static auto& plans = *new std::map<std::tuple<PlanKind, std::size_t, int>, fftw_plan>;
    fftw_plan& plan = plans[{kind, n, sign}];
    if (!plan) {
        const auto length = static_cast<int>(n);
        if (kind == PlanKind::RealForward) {
            Buffer<double> in = allocate<double>(n);
            Buffer<fftw_complex> out = allocate<fftw_complex>(n / 2 + 1);
            plan = fftw_plan_dft_r2c_1d(length, in.get(), out.get(), FFTW_ESTIMATE);
        } else {
            Buffer<fftw_complex> data = allocate<fftw_complex>(n);
            plan = fftw_plan_dft_1d(length, data.get(), data.get(), sign, FFTW_ESTIMATE);
        }
    }
    return plan;
}

} // namespace

std::size_t goodSize(std::size_t n) {
    for (std::size_t m = std::max<std::size_t>(n, 1);; ++m) {
        std::size_t r = m;
        for (const std::size_t p : {2, 3, 5, 7}) {
            while (r % p == 0) {
                r /= p;
            }
        }
        if (r == 1) {
            return m;
        }
    }
}

Forward::Forward(std::size_t n)
    : in_(allocate<double>(n)), out_(allocate<fftw_complex>(n / 2 + 1)),
      shared_(n <= kSharedPlanLength) {
    const std::lock_guard lock(plannerMutex());
    plan_ = shared_
                ? sharedPlan(PlanKind::RealForward, n, 0)
                : fftw_plan_dft_r2c_1d(static_cast<int>(n), in_.get(), out_.get(), FFTW_ESTIMATE);
}

Forward::~Forward() {
    if (!shared_) {
        const std::lock_guard lock(plannerMutex());
        fftw_destroy_plan(plan_);
    }
}

fftw_complex* Forward::run() {
    fftw_execute_dft_r2c(plan_, in_.get(), out_.get());
    return out_.get();
}

InPlace::InPlace(std::size_t n) : n_(n), data_(allocate<double>(2 * (n / 2 + 1))) {}

std::size_t leanSize(std::size_t n, std::size_t longest) {
    constexpr std::size_t kLong = std::size_t{1} << 19;
    if (std::max(n, longest) < kLong) {
        return goodSize(n);
    }
    std::size_t best = 0;
    for (const std::size_t twice : {1, 2}) {
        // The least even, 2-3-5-7-smooth s with twice·s² ≥ n.
        auto s = static_cast<std::size_t>(std::sqrt(static_cast<double>(n / twice)));
        while (twice * s * s < n) {
            ++s;
        }
        s = goodSize(s);
        while (s % 2 != 0) {
            s = goodSize(s + 1);
        }
        best = best == 0 ? twice * s * s : std::min(best, twice * s * s);
    }
    return best;
}

std::size_t goodEvenSize(std::size_t n) {
    return 2 * leanSize((n + 1) / 2, n);
}

Phasor::Phasor(double start, double step)
    : start_(start), step_(step), cosStep_(std::cos(step)), sinStep_(std::sin(step)),
      re_(std::cos(start)), im_(std::sin(start)) {}

void Phasor::reset() {
    const double angle = start_ + step_ * static_cast<double>(k_);
    re_ = std::cos(angle);
    im_ = std::sin(angle);
}

void InPlace::forward(std::size_t count) {
    // The samples read as count / 2 complex points (even ones real, odd ones imaginary) and
    // transformed; line k of the record is then E + e^{−2πik/count}·O, where E and O, the
    // transforms of the even and of the odd samples, come from points k and h − k.
    const std::size_t h = count / 2;
    complexTransform(h, FFTW_FORWARD);
    fftw_complex* z = lines();
    const double r0 = z[0][0], i0 = z[0][1];
    z[0][0] = r0 + i0;
    z[0][1] = 0;
    z[h][0] = r0 - i0;
    z[h][1] = 0;
    Phasor w(-2 * std::numbers::pi / static_cast<double>(count),
             -2 * std::numbers::pi / static_cast<double>(count));
    for (std::size_t k = 1; k <= h / 2; ++k, w.next()) {
        const std::size_t j = h - k;
        const double er = (z[k][0] + z[j][0]) / 2, ei = (z[k][1] - z[j][1]) / 2;
        const double odr = (z[k][1] + z[j][1]) / 2, odi = (z[j][0] - z[k][0]) / 2;
        const double tr = w.re() * odr - w.im() * odi, ti = w.re() * odi + w.im() * odr;
        z[k][0] = er + tr;
        z[k][1] = ei + ti;
        z[j][0] = er - tr;
        z[j][1] = ti - ei;
    }
}

void InPlace::backward(std::size_t count) {
    // Point k of the half-length transform is E + i·O, E and O recovered from lines k and
    // h − k as forward combined them; its inverse holds the even samples as real parts.
    const std::size_t h = count / 2;
    auto* z = reinterpret_cast<std::complex<double>*>(lines());
    const auto point = [&](std::size_t k, std::complex<double> a, std::complex<double> b) {
        const std::complex<double> even = (a + std::conj(b)) / 2.0;
        const std::complex<double> odd =
            (a - std::conj(b)) / 2.0 *
            std::polar(1.0,
                       2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(count));
        return even + std::complex<double>(0, 1) * odd;
    };
    for (std::size_t k = 0; k <= h / 2; ++k) {
        const std::size_t j = h - k;
        const std::complex<double> a = z[k], b = z[j];
        z[k] = point(k, a, b);
        if (j != k && k > 0) {
            z[j] = point(j, b, a);
        }
    }
    complexTransform(h, FFTW_BACKWARD);
    double* x = samples();
    for (std::size_t i = 0; i < count; ++i) {
        x[i] /= static_cast<double>(h);
    }
}

void InPlace::complexTransform(std::size_t length, int sign) {
    if (length <= kSharedPlanLength) {
        fftw_plan& plan = shared_[{length, sign}];
        if (!plan) {
            const std::lock_guard lock(plannerMutex());
            plan = sharedPlan(PlanKind::Complex, length, sign);
        }
        fftw_execute_dft(plan, lines(), lines());
        return;
    }
    fftw_plan& plan = plans_[{length, sign}];
    if (!plan) {
        const std::lock_guard lock(plannerMutex());
        plan = fftw_plan_dft_1d(static_cast<int>(length), lines(), lines(), sign, FFTW_ESTIMATE);
    }
    fftw_execute(plan);
}

void InPlace::releasePlans() {
    const std::lock_guard lock(plannerMutex());
    for (const auto& [key, plan] : plans_) {
        fftw_destroy_plan(plan);
    }
    plans_.clear();
}

InPlace::~InPlace() {
    releasePlans();
}

} // namespace orbistan::fft
