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
    double score = 0;
    Verdict verdict = Verdict::None;
};

// A line counts as found when a peak stands this far above the floor within the tolerance.
inline constexpr double kFoundDecibels = 6;
inline constexpr int kEvidenceHarmonics = 5;

// The four families, strongest evidence first (equal scores in the order above).
std::vector<FamilyEvidence> rankEvidence(const Spectrum& spectrum, const SearchBases& bases);

// "Fo: 4 of 5 harmonics, 12 dB above the floor; sidebands ±Fr: 3 of 8"; in Russian
// for the window.
std::string describeEvidence(const FamilyEvidence& e, bool russian = false);
const char* verdictName(Verdict v); // "strong", "weak", "none"

// The shaft speed as the spectrum shows it: the highest peak within 5 % of the typed Fr,
// standing clear of the floor, refined between the lines; empty when there is none there.
std::optional<double> refineShaftSpeed(const Spectrum& spectrum, double typedFr);

} // namespace orbistan
