#pragma once
// What any range of a long series of values holds, at once: its least and greatest value
// (the spectrum's value axis follows every zoom and pan; a waveform is drawn as the extremes
// of each pixel column) and its levels (RMS, crest factor, kurtosis of the part shown). The
// values are summarised once, in blocks of 64 and blocks of blocks, eight to one, as
// waveform viewers do: a range costs a few hundred steps however many values it spans.

#include "spectrum/signal/spectrum.h"

#include <cstddef>
#include <utility>
#include <vector>

namespace orbistan {

// The overall levels of a record or of a part of it, about its mean: a sensor's offset is
// not vibration.
struct Levels {
    std::size_t samples = 0;
    double mean = 0;
    double rms = 0;
    double peak = 0;       // the greatest departure from the mean
    double peakToPeak = 0; // greatest less least
    double crest = 0;      // peak / rms; 0 for a constant record
    double kurtosis = 0;   // m4 / m2², 3 for Gaussian noise; 0 for a constant record
};

class RangeExtremes {
public:
    RangeExtremes() = default;
    // Cancellable: a record of millions of samples is summarised off the window's thread.
    explicit RangeExtremes(const std::vector<double>& values, const Progress& progress = {});
    // Over the values [from, to), from < to <= the number of values.
    std::pair<double, double> over(std::size_t from, std::size_t to) const;
    Levels levels(std::size_t from, std::size_t to) const;
    // The least and greatest of each of `count` equal parts of [from, to) (count >= 1,
    // to - from >= count): a waveform's pixel columns.
    std::vector<std::pair<double, double>> columns(std::size_t from, std::size_t to,
                                                   std::size_t count) const;
    std::size_t size() const { return values_ ? values_->size() : 0; }
    // The same values, moved elsewhere (into the document from the worker's result).
    void rebind(const std::vector<double>& values) { values_ = &values; }

    // A block's least and greatest and its sums of powers of the departures from the mean
    // of all values (so that no sum cancels).
    struct Block {
        double low = 0, high = 0;
        double n = 0, s1 = 0, s2 = 0, s3 = 0, s4 = 0;
        void add(const Block& b);
        void add(double departure, double value);
    };

private:
    // Calls run(level, from, to) on runs of elements of each level (0: the values) that
    // together make up the values [from, to): whole blocks of the coarsest level that fit,
    // the ends from the finer ones.
    template <class Run>
    void visit(std::size_t level, std::size_t from, std::size_t to, const Run& run) const;
    Block block(std::size_t from, std::size_t to) const;
    Block element(std::size_t level, std::size_t i) const;

    static constexpr std::size_t kBase = 64, kFanIn = 8;
    const std::vector<double>* values_ = nullptr;
    double reference_ = 0; // the mean of all values
    // levels_[0]: blocks of kBase values; levels_[k]: blocks of kFanIn blocks of levels_[k-1].
    std::vector<std::vector<Block>> levels_;
};

} // namespace orbistan
