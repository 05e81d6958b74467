#pragma once
// A record brought down to the rate a narrower span needs, as a data collector does before
// its averaged transform: low-pass filtered below the new Nyquist frequency, then every
// factor-th sample kept. Fine lines over a low span then cost a short transform instead of a
// segment as long as the whole record.

#include "spectrum/signal/spectrum.h"

#include <cstddef>
#include <span>
#include <vector>

namespace orbistan {

// A spectrum's span is the new rate over 2,56: the lines between it and the new Nyquist
// frequency are the filter's transition and are not shown.
inline constexpr double kSamplesPerSpanHz = 2.56;

// The greatest factor whose rate still shows `span` Hz; 1 when none below the record's own
// rate would (a span of 0 asks for the whole band).
std::size_t decimationFactor(double rate, double span);

// The samples a record must hold to be narrowed to `span` Hz at `rate`: the filter's length;
// 0 when the span asks for no narrowing. Grows as one over the span.
double samplesToNarrow(double rate, double span);

// The record filtered and decimated by `factor` (≥ 2): a linear-phase FIR filter (a
// Kaiser-windowed sinc, about 26 taps per unit of factor) flat to within 10⁻⁴ up to the
// span and at least 90 dB down wherever a frequency would fold into it. Only samples the
// whole filter covers are kept, so the record loses about 13 samples of the new rate at
// either end. Empty when the record is shorter than the filter.
std::vector<double> decimate(std::span<const double> samples, std::size_t factor,
                             const Progress& progress = {});

} // namespace orbistan
