#pragma once
// The least and greatest amplitude over any range of lines, at once: the value axis follows
// every zoom and pan, and scanning half of a million lines each time would slow the redraw.

#include <cstddef>
#include <utility>
#include <vector>

namespace orbistan {

class RangeExtremes {
public:
    RangeExtremes() = default;
    explicit RangeExtremes(const std::vector<double>& values);
    // Over the lines [from, to), from < to <= the number of values.
    std::pair<double, double> over(std::size_t from, std::size_t to) const;
    // The same values, moved elsewhere (into the document from the worker's result).
    void rebind(const std::vector<double>& values) { values_ = &values; }

private:
    static constexpr std::size_t kBlock = 1024;
    const std::vector<double>* values_ = nullptr;
    std::vector<std::pair<double, double>> blocks_; // each block's least and greatest
};

} // namespace orbistan
