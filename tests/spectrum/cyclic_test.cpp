// The spectral coherence, the enhanced envelope spectrum and the diagnosis made of it, on
// signals whose answer is known: a fault's random impacts (a rolling element's modulated by
// the cage's turn, each impact a little early or late) show at their rate; noise and the
// shaft's pure tones at none.
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/cyclic.h"
#include "spectrum/workbench/workbench.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <numbers>

namespace orbistan {
namespace {

SynthSettings bearing(std::optional<FaultFamily> fault, double noise = 0.5) {
    SynthSettings s;
    s.fault = fault;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.sampleRate = 12000;
    s.seconds = 10;
    s.noise = noise; // the impacts well under the noise: no line in the raw spectrum
    return s;
}

SearchBases basesOf(const SynthSettings& s) {
    return {s.Fo, s.Fi, s.Fw, s.Fq, s.Fr};
}

// The record's diagnosis as the window and the command line make it, by one method or an
// envelope of a band given.
Diagnosis diagnosed(std::vector<double> samples, const SynthSettings& s, EnvelopeMethod method,
                    std::optional<Band> band = std::nullopt) {
    auto record = std::make_shared<Waveform>();
    record->samples = std::move(samples);
    record->sampleRate = s.sampleRate;
    WorkbenchTask task = diagnosisTask("synthetic.wav", {}, diagnosisTransform({}), basesOf(s),
                                       band, false, kDefaultSlipPercent, std::nullopt, method);
    task.record = std::move(record);
    const TaskResult r = runTask(task);
    EXPECT_FALSE(r.problem) << (r.problem ? r.problem->detail : "");
    return r.diagnosis.value_or(Diagnosis{});
}

double median(std::vector<double> a) {
    std::nth_element(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(a.size() / 2), a.end());
    return a[a.size() / 2];
}

TEST(Coherence, EachFaultIsNamedAndNoiseOrTheShaftIsNot) {
    const struct {
        const char* name;
        std::optional<FaultFamily> fault;
        double noise;
    } cases[] = {
        {"outer", FaultFamily::Outer, 0.5}, {"inner", FaultFamily::Inner, 0.5},
        {"ball", FaultFamily::Ball, 0.5},   {"shaft and noise", std::nullopt, 0.5},
        {"noise", std::nullopt, 1},         {"shaft", std::nullopt, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const SynthSettings s = bearing(c.fault, c.noise);
        std::vector<double> x = synthesize(s);
        if (std::string(c.name) == "noise") { // the shaft's tones taken out again
            SynthSettings shaft = s;
            shaft.noise = 0;
            const std::vector<double> tones = synthesize(shaft);
            for (std::size_t i = 0; i < x.size(); ++i) {
                x[i] -= tones[i];
            }
        }
        const Diagnosis d = diagnosed(std::move(x), s, EnvelopeMethod::Coherence);
        ASSERT_FALSE(d.families.empty());
        EXPECT_EQ(d.method, EnvelopeMethod::Coherence);
        if (c.fault) {
            EXPECT_EQ(d.families.front().family, *c.fault) << describeEvidence(d.families.front());
            EXPECT_NE(d.families.front().verdict, Verdict::None);
            EXPECT_GT(d.band.low, 2000); // the resonance's carriers chosen
            EXPECT_LT(d.band.high, 4500);
        } else {
            EXPECT_EQ(d.families.front().verdict, Verdict::None)
                << describeEvidence(d.families.front());
        }
    }
}

// The envelope of a band above the resonance sees nothing of a rolling element's fault deep
// in noise; the coherence, whose carriers are chosen by what recurs in them, names it.
TEST(Coherence, FindsTheRollingElementAFixedBandMisses) {
    const SynthSettings s = bearing(FaultFamily::Ball, 1);
    const std::vector<double> x = synthesize(s);
    const Diagnosis fixed = diagnosed(x, s, EnvelopeMethod::Best, Band{4500, 5500});
    const auto ball =
        std::find_if(fixed.families.begin(), fixed.families.end(),
                     [](const FamilyEvidence& e) { return e.family == FaultFamily::Ball; });
    ASSERT_NE(ball, fixed.families.end());
    EXPECT_EQ(ball->verdict, Verdict::None) << describeEvidence(*ball);
    const Diagnosis coherent = diagnosed(x, s, EnvelopeMethod::Coherence);
    EXPECT_EQ(coherent.families.front().family, FaultFamily::Ball);
    EXPECT_NE(coherent.families.front().verdict, Verdict::None);
}

// The map itself: its steps, the power's own coherence of one, every value within what a
// coherence may be, the fault's rate standing out of noise's floor in the resonance's band.
TEST(Coherence, TheMapHoldsTheFaultsRateAtTheResonance) {
    const CoherenceMap map =
        spectralCoherence(synthesize(bearing(FaultFamily::Outer)), 12000, 500, 0.5);
    EXPECT_NEAR(map.carrierStep, 93.75, 1e-9);
    EXPECT_LE(map.cyclicStep, 0.5);
    EXPECT_GT(map.cyclicStep, 0.4);
    EXPECT_NEAR(map.cyclicStep * static_cast<double>(map.cyclics - 1), 500, map.cyclicStep);
    EXPECT_GE(map.segments, 8u);      // 0,68 s each, half overlapping, over 10 s
    const std::size_t resonance = 32; // 3000 Hz
    EXPECT_EQ(map.at(resonance, 0), 1.0F);
    EXPECT_TRUE(std::all_of(map.coherence.begin(), map.coherence.end(),
                            [](float v) { return v >= 0 && v <= 1.0001F; }));
    const auto atFo = static_cast<std::size_t>(std::lround(106.98 / map.cyclicStep));
    float fault = 0;
    for (std::size_t k = atFo - 2; k <= atFo + 2; ++k) {
        fault = std::max(fault, map.at(resonance, k));
    }
    std::vector<double> row;
    for (std::size_t k = 1; k < map.cyclics; ++k) {
        row.push_back(map.at(resonance, k));
    }
    EXPECT_GT(fault, 4 * median(row));

    const Spectrum ees = enhancedEnvelopeSpectrum(map, {2500, 3500});
    EXPECT_EQ(ees.frequency.size(), map.cyclics - 1);
    EXPECT_GT(ees.averages, static_cast<double>(map.segments));
    const CyclicBand chosen = mostCyclicBand(map, 500);
    EXPECT_GT(chosen.band.low, 2000);
    EXPECT_LT(chosen.band.high, 4500);
}

TEST(Coherence, ARecordTooShortIsRefusedAndWorkCanBeCancelled) {
    EXPECT_THROW(spectralCoherence(std::vector<double>(100, 1.0), 12000, 500), SpectrumFileError);
    EXPECT_THROW(spectralCoherence(std::vector<double>(12000, 1.0), 12000, 7000),
                 SpectrumFileError);
    const std::atomic<bool> cancel{true};
    EXPECT_THROW(spectralCoherence(synthesize(bearing(FaultFamily::Outer)), 12000, 500, 0.5,
                                   Progress(nullptr, &cancel)),
                 SpectrumCancelled);
}

// Silence has no coherence at all: nothing is divided by nothing.
TEST(Coherence, SilenceHasNone) {
    const CoherenceMap map = spectralCoherence(std::vector<double>(24000, 0.0), 12000, 300, 1);
    EXPECT_TRUE(
        std::all_of(map.coherence.begin(), map.coherence.end(), [](float v) { return v == 0; }));
}

} // namespace
} // namespace orbistan
