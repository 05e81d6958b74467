#include "spectrum/diagnosis/synth.h"

#include "spectrum/diagnosis/families.h"

#include <cmath>
#include <numbers>
#include <optional>
#include <random>

namespace orbistan {

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;
constexpr double kShaftAmplitude = 0.3;  // 1× shaft speed; 2× at a third of it, 3× a sixth
constexpr double kDamping = 0.05;        // of the resonance
constexpr double kPulseWidth = 1.0e-4;   // s, the standard deviation of the impact's pulse
constexpr double kPulseAmplitude = 0.5;  // of the pulse, the ringing's being 1
constexpr double kModulationDepth = 0.5; // of the load zone's modulation
// Rolling elements slip: each impact comes up to this share of a period early or late, so
// that impacts recur about a mean period without being strictly periodic, as in every real
// bearing (a whitened record keeps such impacts, and loses strictly periodic ones).
constexpr double kJitter = 0.01;

// One impact's response at time t from it (t < 0 before it): the resonance ringing down
// after it, and the impact's own short pulse around it, which carries the impact rate's low
// harmonics.
double impactResponse(double t, double resonance) {
    const double ring =
        t >= 0 ? std::exp(-kDamping * kTwoPi * resonance * t) * std::sin(kTwoPi * resonance * t)
               : 0.0;
    return ring + kPulseAmplitude * std::exp(-0.5 * (t / kPulseWidth) * (t / kPulseWidth));
}

} // namespace

namespace {

// Shaft vibration at Fr, 2·Fr and 3·Fr, and white noise.
std::vector<double> background(const SynthSettings& s, std::size_t count) {
    std::vector<double> x(count, 0.0);
    std::mt19937_64 random(s.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    for (std::size_t i = 0; i < count; ++i) {
        const double t = static_cast<double>(i) / s.sampleRate;
        x[i] = kShaftAmplitude * std::sin(kTwoPi * s.Fr * t) +
               kShaftAmplitude / 3 * std::sin(2 * kTwoPi * s.Fr * t + 0.7) +
               kShaftAmplitude / 6 * std::sin(3 * kTwoPi * s.Fr * t + 1.9) +
               (s.noise > 0 ? s.noise * gauss(random) : 0.0);
    }
    return x;
}

// The fault's impact rate and the frequency that modulates its strength (0: none), as the
// families' table has them: the outer race's impacts keep their strength (its ±Fr belong to
// an unbalanced load, not to the fault).
std::pair<double, double> impactRate(const SynthSettings& s) {
    if (!s.fault || !synthesised(*s.fault)) {
        return {0, 0};
    }
    const FaultFamilyInfo& f = faultFamily(*s.fault);
    const SearchBases b{s.Fo, s.Fi, s.Fw, s.Fq, s.Fr};
    return {f.base(b), f.sidebandsExpected ? f.modulator(b) : 0};
}

} // namespace

bool synthesised(FaultFamily family) {
    return family != FaultFamily::Cage;
}

std::vector<std::string_view> synthFaultKeys() {
    std::vector<std::string_view> keys;
    for (const FaultFamilyInfo& f : faultFamilies()) {
        if (synthesised(f.id)) {
            keys.push_back(f.key);
        }
    }
    keys.push_back(kNoFaultKey);
    return keys;
}

std::vector<double> synthesize(const SynthSettings& s) {
    const auto count = static_cast<std::size_t>(std::llround(s.seconds * s.sampleRate));
    std::vector<double> x = background(s, count);
    const auto [rate, modulation] = impactRate(s);
    if (!(rate > 0) || !(s.severity > 0)) {
        return x;
    }
    // The response has died away (below 10^-4) after this long.
    const double ringTime =
        std::max(std::log(1e4) / (kDamping * kTwoPi * s.resonance), 6 * kPulseWidth);
    const auto before = static_cast<std::ptrdiff_t>(std::ceil(6 * kPulseWidth * s.sampleRate));
    const auto after = static_cast<std::ptrdiff_t>(std::ceil(ringTime * s.sampleRate));
    std::mt19937_64 random(s.seed + 1);
    std::uniform_real_distribution<double> jitter(-kJitter, kJitter);
    for (long k = 0; k / rate < s.seconds; ++k) {
        const double at = std::max(0.0, (k + jitter(random)) / rate);
        const double strength =
            modulation > 0 ? 1 + kModulationDepth * std::cos(kTwoPi * modulation * at) : 1.0;
        const auto centre = static_cast<std::ptrdiff_t>(std::floor(at * s.sampleRate));
        const std::ptrdiff_t from = std::max<std::ptrdiff_t>(0, centre - before);
        const std::ptrdiff_t to = std::min(static_cast<std::ptrdiff_t>(count) - 1, centre + after);
        for (std::ptrdiff_t i = from; i <= to; ++i) {
            const double t = static_cast<double>(i) / s.sampleRate - at;
            x[static_cast<std::size_t>(i)] +=
                s.severity * strength * impactResponse(t, s.resonance);
        }
    }
    return x;
}

SynthSettings seriesRecord(const SynthSettings& bearing, const SynthSeries& series, int index) {
    SynthSettings s = bearing;
    // Each record's own draw, the same for the same seed and index.
    std::mt19937_64 random(bearing.seed * 1000003 + static_cast<std::uint64_t>(index));
    const double speed = 1 + series.wander * std::uniform_real_distribution<double>(-1, 1)(random);
    s.Fr *= speed, s.Fo *= speed, s.Fi *= speed, s.Fw *= speed, s.Fq *= speed;
    s.seed = bearing.seed + 7919 * static_cast<std::uint64_t>(index + 1);
    if (index < series.onset || !s.fault) {
        s.fault.reset();
        s.severity = 0;
    } else {
        const int span = std::max(1, series.records - 1 - series.onset);
        s.severity = bearing.severity *
                     (kOnsetSeverity +
                      (1 - kOnsetSeverity) * std::min(1.0, double(index - series.onset) / span));
    }
    return s;
}

} // namespace orbistan
