#pragma once
// Which fault of the bearing the lines of a spectrum point to. For each family of the table
// (families.h) it looks for the harmonics near where they belong, the sidebands its
// modulator puts around them, and judges what it found against the lines a machine's
// spectrum has anyway: how far above the floor, how well they line up on one fundamental
// beside the density of discrete lines around them, and whether the shaft, the mains or a
// clearer family explains them as well.

#include "search/search.h"
#include "spectrum/diagnosis/families.h"
#include "spectrum/signal/spectrum.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

// A harmonic of a family's fundamental found as its own line.
struct FoundLine {
    int order = 1;        // the harmonic
    double frequency = 0; // Hz, refined between the lines
    double decibels = 0;  // above the floor around it
};

struct FamilyEvidence {
    FaultFamily family = FaultFamily::Outer;
    int harmonicsExpected = 0, harmonicsFound = 0;
    int sidebandsExpected = 0, sidebandsFound = 0;
    double decibelsAboveFloor = 0; // the mean over the harmonics found
    double expected = 0;           // the kinematic frequency, Hz
    double found = 0;              // the fundamental as found, Hz; 0 when not found
    // −log10 of the chance that the lines found are noise or discrete lines that happen to
    // stand there: the score by which families are ranked, never cut off.
    double score = 0;
    Verdict verdict = Verdict::None;
    std::vector<FoundLine> lines; // the harmonics found, lowest first
    // The cage's family judged first: on the public records its lines, so placed, were a
    // rolling element's fault modulated by the cage's turn far more often than anything else
    // (docs/real-data.md), and the verdict says so.
    bool cageModulation = false;
    // How far from `expected` its fundamental was looked for, percent, where the lines are
    // too coarse for its slip alone (the slow families): half a line; 0 where its slip was.
    double widenedWindow = 0;
};
// What the verdict of a cage family judged first adds.
inline constexpr std::string_view kCageModulation = "тело качения: модуляция сепаратором";

inline constexpr int kEvidenceHarmonics = 5;
// Said beside the verdicts of a record read at a rate only assumed: every line may stand
// elsewhere than the families are looked for.
inline constexpr std::string_view kRateAssumedCaveat =
    "частота дискретизации принята: признаки не проверены";
// How far from its kinematic frequency a family's fundamental is looked for: real bearings
// slip, their lines 1–2 % from the computed ones.
inline constexpr double kDefaultSlipPercent = 2;

// The four families, strongest verdict first, then the highest score (equal ones in the
// table's order). Each fundamental is looked for within ±slipPercent of its kinematic
// value, its harmonics and sidebands at multiples of the frequency found. Where the
// families are judged at `tries` shaft speeds and the clearest kept, each score pays for
// the other tries: noise had as many chances to look like a fault.
std::vector<FamilyEvidence> rankEvidence(const Spectrum& spectrum, const SearchBases& bases,
                                         double slipPercent = kDefaultSlipPercent, int tries = 1);

// The family's fundamental as the evidence places it: where it was found, else where the
// kinematics put it.
double foundOrExpected(const FamilyEvidence& e);

// The family's fundamental as a line of the spectrum: the one found, else the strongest line
// of its own within ±slipPercent of where the kinematics put it, with its height above the
// floor (below the 3 dB a line is found at, where none stands clear); none where no line
// stands above the floor there.
std::optional<FoundLine> fundamentalLine(const Spectrum& spectrum, const FamilyEvidence& e,
                                         double slipPercent = kDefaultSlipPercent);

// "Fo: 106,1 Hz (−0,8 %), 4 of 5 harmonics, 12 dB above the floor; sidebands ±Fr: 3 of 8",
// with "; window ±6,1 %" where the lines widened it, and "; rolling element: the cage's
// modulation" where the cage's family says so; in Russian for the window.
std::string describeEvidence(const FamilyEvidence& e, bool russian = false);

// "Fo 106,3 Гц +21 дБ · 2·Fo 212,6 Гц +19 дБ": the family's own lines, each at its
// frequency to a tenth of a hertz and its height above the floor; empty when none was found.
std::string foundLinesText(const FamilyEvidence& e);

} // namespace orbistan
