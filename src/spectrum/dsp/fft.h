#pragma once
// FFTW plans with their buffers, for the spectrum folder's own use: planned with
// FFTW_ESTIMATE (measuring takes seconds), under one lock, since FFTW's planner is not
// thread-safe while its plans' execution is.

#include <fftw3.h>

#include <cstddef>
#include <map>
#include <memory>
#include <utility>

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
    bool shared_ = false; // a short transform's plan, shared, never destroyed here
};

// The least length at or above n that FFTW transforms fast and plans lean: goodSize for
// short transforms; for long ones s² or 2·s² with s an even product of 2, 3, 5 and 7, which
// FFTW splits near the square root (about twice as fast as an arbitrary round length, with
// tables of a few megabytes, where other round lengths take tables half the buffer's size).
// Twice such a length, and half of it, is one too. `longest`, the longest transform that will
// be a power-of-two multiple of this one, decides which rule holds when it is longer than n.
std::size_t leanSize(std::size_t n, std::size_t longest = 0);

// Twice the lean length for half of n: an even length whose real transform (a complex one of
// half the length) is lean, and so is the complex transform of its whole length.
std::size_t goodEvenSize(std::size_t n);

// e^{iθ}, e^{i(θ + step)}, e^{i(θ + 2·step)}, … by rotation, set exactly every 64 steps so that
// rounding cannot build up.
class Phasor {
public:
    Phasor(double start, double step);
    double re() const { return re_; }
    double im() const { return im_; }
    void next() {
        if (++k_ % 64 == 0) {
            reset();
            return;
        }
        const double re = re_ * cosStep_ - im_ * sinStep_;
        im_ = im_ * cosStep_ + re_ * sinStep_;
        re_ = re;
    }

private:
    void reset();
    double start_, step_, cosStep_, sinStep_, re_ = 1, im_ = 0;
    std::size_t k_ = 0;
};

// n real samples (n even) transformed in place to their n / 2 + 1 lines; the same memory then
// serves complex transforms of up to n / 2 + 1 points, so that a band cut from a long record
// needs no second buffer as long as the record.
class InPlace {
public:
    explicit InPlace(std::size_t n);
    ~InPlace();
    InPlace(const InPlace&) = delete;
    InPlace& operator=(const InPlace&) = delete;
    InPlace(InPlace&& other) noexcept
        : n_(other.n_), data_(std::move(other.data_)), plans_(std::exchange(other.plans_, {})),
          shared_(std::move(other.shared_)) {}
    InPlace& operator=(InPlace&&) = delete;
    std::size_t size() const { return n_; }
    double* samples() { return data_.get(); }
    fftw_complex* lines() { return reinterpret_cast<fftw_complex*>(data_.get()); }
    // The first `count` samples (even, at most size()) to their count / 2 + 1 lines, by a
    // complex transform of half the length: FFTW's own real transform of a long record plans
    // tables as large as the record.
    void forward(std::size_t count);
    void forward() { forward(n_); }
    // The inverse of forward(count): the count / 2 + 1 lines back to count samples, scaled so
    // that forward then backward gives the samples again.
    void backward(std::size_t count);
    // The first `length` lines transformed as complex points, FFTW_FORWARD or FFTW_BACKWARD,
    // unscaled.
    void complexTransform(std::size_t length, int sign);
    // Plans kept hold tables as long as their transforms: a buffer done with a length lets
    // them go.
    void releasePlans();

private:
    std::size_t n_;
    Buffer<double> data_;
    // Planning computes a transform's tables anew: a band search repeats a few lengths.
    std::map<std::pair<std::size_t, int>, fftw_plan> plans_;
    // Short transforms' shared plans, looked up once: the planner's lock is not taken for
    // each of thousands of transforms, on several threads at once.
    std::map<std::pair<std::size_t, int>, fftw_plan> shared_;
};

} // namespace orbistan::fft
