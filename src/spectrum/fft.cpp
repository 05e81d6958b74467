#include "spectrum/fft.h"

#include <algorithm>
#include <mutex>
#include <new>

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
    : in_(allocate<double>(n)), out_(allocate<fftw_complex>(n / 2 + 1)) {
    const std::lock_guard lock(plannerMutex());
    plan_ = fftw_plan_dft_r2c_1d(static_cast<int>(n), in_.get(), out_.get(), FFTW_ESTIMATE);
}

Forward::~Forward() {
    const std::lock_guard lock(plannerMutex());
    fftw_destroy_plan(plan_);
}

fftw_complex* Forward::run() {
    fftw_execute(plan_);
    return out_.get();
}

Inverse::Inverse(std::size_t n) : in_(allocate<fftw_complex>(n)), out_(allocate<fftw_complex>(n)) {
    const std::lock_guard lock(plannerMutex());
    plan_ =
        fftw_plan_dft_1d(static_cast<int>(n), in_.get(), out_.get(), FFTW_BACKWARD, FFTW_ESTIMATE);
}

Inverse::~Inverse() {
    const std::lock_guard lock(plannerMutex());
    fftw_destroy_plan(plan_);
}

const fftw_complex* Inverse::run() {
    fftw_execute(plan_);
    return out_.get();
}

} // namespace orbistan::fft
