#pragma once
// Which fault of the bearing the lines of a spectrum point to. For each family (outer race
// Fo, inner race Fi with sidebands at ±Fr, rolling element 2·Fw with sidebands at ±Fq,
// cage Fq) it counts the harmonics found as peaks near where they belong, the expected
// sidebands found around them, and how far the lines found stand above the noise floor.

#include "search/search.h"
#include "spectrum/spectrum.h"

#include <optional>
#include <string>
#include <vector>

namespace orbistan {

enum class Verdict { None, Weak, Strong };

struct FamilyEvidence {
    std::string family; // "outer", "inner", "ball", "cage"
    std::string name;   // "Fo", "Fi", "2·Fw", "Fq"
    int harmonicsExpected = 0, harmonicsFound = 0;
    int sidebandsExpected = 0, sidebandsFound = 0;
    double decibelsAboveFloor = 0; // the mean over the harmonics found
    double expected = 0;           // the kinematic frequency, Hz
    double found = 0;              // the fundamental as found, Hz; 0 when not found
    // −log10 of the chance that noise alone gives harmonics as clear as these: the score
    // by which families are ranked.
    double score = 0;
    Verdict verdict = Verdict::None;
};

inline constexpr int kEvidenceHarmonics = 5;
// How far from its kinematic frequency a family's fundamental is looked for: real bearings
// slip, their lines 1–2 % from the computed ones.
inline constexpr double kDefaultSlipPercent = 2;
// A line counts as found when noise would put one as clear in its window less than once in a
// hundred times; a family's harmonics together are weak evidence below once in 10^4 and
// strong below once in 10^8, four families looked at.
inline constexpr double kFoundSignificance = 2;
inline constexpr double kWeakSignificance = 4;
inline constexpr double kStrongSignificance = 8;

// The four families, strongest verdict first, then the highest score (equal ones in the order
// above). Each fundamental is looked for within ±slipPercent of its kinematic value, its
// harmonics and sidebands at multiples of the frequency found.
std::vector<FamilyEvidence> rankEvidence(const Spectrum& spectrum, const SearchBases& bases,
                                         double slipPercent = kDefaultSlipPercent);

// "Fo: 106,1 Hz (−0,8 %), 4 of 5 harmonics, 12 dB above the floor; sidebands ±Fr: 3 of 8";
// in Russian for the window.
std::string describeEvidence(const FamilyEvidence& e, bool russian = false);
const char* verdictName(Verdict v); // "strong", "weak", "none"

// The shaft speed as the spectrum shows it: the highest peak within 5 % of the typed Fr,
// standing clear of the floor, refined between the lines; empty when there is none there.
std::optional<double> refineShaftSpeed(const Spectrum& spectrum, double typedFr);

} // namespace orbistan
