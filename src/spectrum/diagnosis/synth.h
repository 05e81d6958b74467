#pragma once
// Synthetic vibration of a bearing with a local fault, for users and tests that need a
// signal whose answer is known: impacts at the fault's frequency, each ringing a structural
// resonance and passing a short pulse, modulated as the fault is carried through the load
// zone; plus the shaft's own vibration and white noise.

#include "spectrum/diagnosis/families.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

// The faults synthesised are the races' and the rolling elements'; a cage's own fault is not.
bool synthesised(FaultFamily family);
// How the command line names a healthy bearing beside the families' keys.
inline constexpr std::string_view kNoFaultKey = "none";
// "outer", "inner", "ball", "none".
std::vector<std::string_view> synthFaultKeys();

struct SynthSettings {
    std::optional<FaultFamily> fault = FaultFamily::Outer; // none: shaft and noise only
    double Fr = 0;                                         // shaft speed, Hz
    double Fo = 0, Fi = 0, Fw = 0, Fq = 0;                 // the bearing's defect frequencies, Hz
    double sampleRate = 12000;
    double seconds = 10;
    double resonance = 3000; // Hz
    double noise = 0.1;      // standard deviation of the white noise
    double severity = 1;     // the impacts' strength, 1 the full; 0: no fault
    std::uint64_t seed = 1;
};

// A series of records of one bearing as a monitoring system records it: shaft and noise only
// before the record `onset` (from 0), the fault from it on, its impacts growing from
// kOnsetSeverity of their full strength on the first record to full on the last; the shaft
// speed (and the defect frequencies with it) wandering within ±`wander` from record to record.
struct SynthSeries {
    int records = 40;
    int onset = 20;
    double wander = 0.01;
};
inline constexpr double kOnsetSeverity = 0.4;
// The settings of the series' record `index`, from those of the bearing at its mean speed.
SynthSettings seriesRecord(const SynthSettings& bearing, const SynthSeries& series, int index);

// Impacts recur at the fault's rate, each up to 1 % of a period early or late (the rolling
// elements' slip). Outer race: impacts at Fo of constant strength. Inner race: at Fi, their
// strength following the shaft's turn (sidebands at ±Fr). Rolling element: at 2·Fw, the element
// hitting both races, following the cage's turn (sidebands at ±Fq). None: shaft and noise.
std::vector<double> synthesize(const SynthSettings& s);

} // namespace orbistan
