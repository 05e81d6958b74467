#pragma once
// The seven defect frequencies of a rolling bearing and their fourteen sidebands.

#include "calc/validate.h"

#include <array>
#include <optional>
#include <string_view>

namespace orbistan {

// The 21 result values in the order they are kept, shown and printed.
enum ResultIndex {
    Fo,
    Fi,
    Fw,
    Fq,
    FoStar,
    FiStar,
    FwStar,
    FoPlusFq,
    FoMinusFq,
    FrPlusFq,
    FwPlusFr,
    FwMinusFr,
    FiPlusFr,
    FiMinusFr,
    FiPlusFrMinusFq,
    FiMinusFrMinusFq,
    FwPlusFq,
    FwMinusFq,
    FoPlusFr,
    FoMinusFr,
    FrMinusFq,
    ResultCount
};

inline constexpr int kDefectCount = 7;
inline constexpr int kSidebandCount = ResultCount - kDefectCount;

using Results = std::array<double, ResultCount>;

// "Fo", "Fi", ..., "Fo+Fq", ..., "Fr-Fq".
std::string_view resultName(int index);

// A sideband row's two multipliers sit at these positions of BearingInputs::multipliers.
inline constexpr int firstMultiplierOf(int resultIndex) {
    return 2 * (resultIndex - kDefectCount);
}

// Computes all 21 values, unrounded, in extended precision. Empty when some value does not
// fit a 64-bit real (extreme but readable inputs): such a result is never shown.
std::optional<Results> computeFrequencies(const BearingInputs& in);

// Rounds every value to the precision (ties to even) when precision > 1.
Results roundResults(const Results& values, int precision);

} // namespace orbistan
