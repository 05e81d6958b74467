#include "spectrum/dsp/extremes.h"

#include <algorithm>
#include <cmath>

namespace orbistan {

void RangeExtremes::Block::add(const Block& b) {
    if (b.n == 0) {
        return;
    }
    if (n == 0) {
        *this = b;
        return;
    }
    low = std::min(low, b.low);
    high = std::max(high, b.high);
    n += b.n, s1 += b.s1, s2 += b.s2, s3 += b.s3, s4 += b.s4;
}

void RangeExtremes::Block::add(double departure, double value) {
    low = n == 0 ? value : std::min(low, value);
    high = n == 0 ? value : std::max(high, value);
    const double d2 = departure * departure;
    n += 1, s1 += departure, s2 += d2, s3 += d2 * departure, s4 += d2 * d2;
}

RangeExtremes::RangeExtremes(const std::vector<double>& values, const Progress& progress)
    : values_(&values) {
    constexpr std::size_t kStride = std::size_t(1) << 20;
    double sum = 0;
    for (std::size_t i = 0; i < values.size(); ++i) {
        sum += values[i];
        if (i % kStride == 0) {
            progress.step(0.5 * double(i) / double(values.size()));
        }
    }
    reference_ = values.empty() ? 0 : sum / double(values.size());
    std::vector<Block> level((values.size() + kBase - 1) / kBase);
    for (std::size_t i = 0; i < values.size(); ++i) {
        level[i / kBase].add(values[i] - reference_, values[i]);
        if (i % kStride == 0) {
            progress.step(0.5 + 0.5 * double(i) / double(values.size()));
        }
    }
    while (level.size() > 1) {
        std::vector<Block> coarser((level.size() + kFanIn - 1) / kFanIn);
        for (std::size_t i = 0; i < level.size(); ++i) {
            coarser[i / kFanIn].add(level[i]);
        }
        levels_.push_back(std::move(level));
        level = std::move(coarser);
    }
    levels_.push_back(std::move(level));
}

RangeExtremes::Block RangeExtremes::element(std::size_t level, std::size_t i) const {
    if (level > 0) {
        return levels_[level - 1][i];
    }
    Block b;
    b.add((*values_)[i] - reference_, (*values_)[i]);
    return b;
}

template <class Run>
void RangeExtremes::visit(std::size_t level, std::size_t from, std::size_t to,
                          const Run& run) const {
    if (level < levels_.size()) {
        const std::size_t fanIn = level == 0 ? kBase : kFanIn;
        const std::size_t first = (from + fanIn - 1) / fanIn, last = to / fanIn;
        if (first < last) {
            run(level, from, first * fanIn);
            visit(level + 1, first, last, run);
            run(level, last * fanIn, to);
            return;
        }
    }
    run(level, from, to);
}

RangeExtremes::Block RangeExtremes::block(std::size_t from, std::size_t to) const {
    Block r;
    visit(0, from, to, [&](std::size_t level, std::size_t a, std::size_t b) {
        for (std::size_t i = a; i < b; ++i) {
            r.add(element(level, i));
        }
    });
    return r;
}

// Only the least and greatest: a waveform's columns are asked for at every redraw.
std::pair<double, double> RangeExtremes::over(std::size_t from, std::size_t to) const {
    double low = (*values_)[from], high = low;
    visit(0, from, to, [&](std::size_t level, std::size_t a, std::size_t b) {
        if (level == 0) {
            for (std::size_t i = a; i < b; ++i) {
                low = std::min(low, (*values_)[i]);
                high = std::max(high, (*values_)[i]);
            }
            return;
        }
        for (std::size_t i = a; i < b; ++i) {
            low = std::min(low, levels_[level - 1][i].low);
            high = std::max(high, levels_[level - 1][i].high);
        }
    });
    return {low, high};
}

Levels RangeExtremes::levels(std::size_t from, std::size_t to) const {
    const Block b = block(from, to);
    Levels l;
    l.samples = static_cast<std::size_t>(b.n);
    if (b.n == 0) {
        return l;
    }
    const double d = b.s1 / b.n; // the range's mean, from the reference
    l.mean = reference_ + d;
    l.peakToPeak = b.high - b.low;
    l.peak = std::max(b.high - l.mean, l.mean - b.low);
    if (b.high == b.low) {
        l.peak = 0;
        return l;
    }
    // Central sums from the sums about the reference.
    const double m2 = std::max(0.0, b.s2 - b.n * d * d);
    const double m4 =
        std::max(0.0, b.s4 - 4 * d * b.s3 + 6 * d * d * b.s2 - 3 * b.n * d * d * d * d);
    l.rms = std::sqrt(m2 / b.n);
    l.crest = l.rms > 0 ? l.peak / l.rms : 0;
    l.kurtosis = m2 > 0 ? b.n * m4 / (m2 * m2) : 0;
    return l;
}

std::vector<std::pair<double, double>> RangeExtremes::columns(std::size_t from, std::size_t to,
                                                              std::size_t count) const {
    std::vector<std::pair<double, double>> r;
    r.reserve(count);
    const std::size_t span = to - from;
    for (std::size_t c = 0; c < count; ++c) {
        const std::size_t a = from + span * c / count, b = from + span * (c + 1) / count;
        r.push_back(over(a, std::max(b, a + 1)));
    }
    return r;
}

} // namespace orbistan
