#pragma once
// FFTW plans with their buffers, for the spectrum folder's own use: planned with
// FFTW_ESTIMATE (measuring takes seconds), under one lock, since FFTW's planner is not
// thread-safe while its plans' execution is.

#include <fftw3.h>

#include <cstddef>
#include <memory>

namespace orbistan::fft {

struct Free {
    void operator()(void* p) const { fftw_free(p); }
};
template <typename T> using Buffer = std::unique_ptr<T, Free>;

// The least length at or above n that is a product of 2, 3, 5 and 7: FFTW transforms such
// lengths several times faster than a prime one.
std::size_t goodSize(std::size_t n);

// n real samples to n / 2 + 1 complex lines.
class Forward {
public:
    explicit Forward(std::size_t n);
    ~Forward();
    Forward(const Forward&) = delete;
    Forward& operator=(const Forward&) = delete;
    double* input() { return in_.get(); }
    fftw_complex* run();

private:
    Buffer<double> in_;
    Buffer<fftw_complex> out_;
    fftw_plan plan_ = nullptr;
};

// n complex lines back to n complex samples, unscaled.
class Inverse {
public:
    explicit Inverse(std::size_t n);
    ~Inverse();
    Inverse(const Inverse&) = delete;
    Inverse& operator=(const Inverse&) = delete;
    fftw_complex* input() { return in_.get(); }
    const fftw_complex* run();

private:
    Buffer<fftw_complex> in_;
    Buffer<fftw_complex> out_;
    fftw_plan plan_ = nullptr;
};

} // namespace orbistan::fft
