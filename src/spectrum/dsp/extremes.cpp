#include "spectrum/dsp/extremes.h"

#include <algorithm>

namespace orbistan {

RangeExtremes::RangeExtremes(const std::vector<double>& values) : values_(&values) {
    for (std::size_t b = 0; b < values.size(); b += kBlock) {
        const auto [low, high] = std::minmax_element(
            values.begin() + static_cast<std::ptrdiff_t>(b),
            values.begin() + static_cast<std::ptrdiff_t>(std::min(values.size(), b + kBlock)));
        blocks_.emplace_back(*low, *high);
    }
}

std::pair<double, double> RangeExtremes::over(std::size_t from, std::size_t to) const {
    const std::vector<double>& v = *values_;
    std::pair<double, double> r{v[from], v[from]};
    const auto take = [&r](double low, double high) {
        r.first = std::min(r.first, low);
        r.second = std::max(r.second, high);
    };
    std::size_t i = from;
    for (; i < to && i % kBlock != 0; ++i) {
        take(v[i], v[i]);
    }
    for (; i + kBlock <= to; i += kBlock) {
        take(blocks_[i / kBlock].first, blocks_[i / kBlock].second);
    }
    for (; i < to; ++i) {
        take(v[i], v[i]);
    }
    return r;
}

} // namespace orbistan
