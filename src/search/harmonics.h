#pragma once
// The harmonic and subharmonic lists of the seven defect frequencies, and the tolerance
// ladder of the search field.

#include <array>
#include <string>

namespace orbistan {

// The ten captions of a list for the defect frequency `which` (0 Fo, 1 Fi, 2 Fw, 3 Fq,
// 4 Fo*, 5 Fi*, 6 Fw*) whose stored value is F; rounded to the precision when it is > 1.
std::array<std::string, 10> harmonicCaptions(int which, double F, bool subharmonics, int precision);

// The tolerance ladder: 0,001 ... 0,009, 0,01 ... 0,09, 0,1 ... 0,9, 1 ... 10, wrapping round;
// a value off the ladder moves by the step of its decade.
double toleranceUp(double t);
double toleranceDown(double t);

} // namespace orbistan
