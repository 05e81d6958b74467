// Envelope analysis and the verdict per fault on synthetic signals whose answers are known:
// a 6205 at 1797 rpm, 12 kHz for 10 s, impacts ringing a 3 kHz resonance in noise.
#include "spectrum/envelope.h"
#include "spectrum/evidence.h"
#include "spectrum/synth.h"

#include <gtest/gtest.h>

#include <numbers>

namespace orbistan {
namespace {

SynthSettings bearing(Fault fault) {
    SynthSettings s;
    s.fault = fault;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.noise = 0.3;
    return s;
}

struct FaultCase {
    Fault fault;
    const char* family; // ranked first, as strong evidence; empty: nothing strong
    int sidebands;      // of the first family, found of 10
};

class Diagnosis : public testing::TestWithParam<FaultCase> {};

TEST_P(Diagnosis, EnvelopeOfTheResonanceBandPointsToTheFault) {
    const SynthSettings s = bearing(GetParam().fault);
    const std::vector<double> x = synthesize(s);
    const SuggestedBand suggested = suggestBand(x, s.sampleRate);
    const Spectrum e = envelopeSpectrum(x, s.sampleRate, {2000, 4000}, {});
    const std::vector<FamilyEvidence> ranked = rankEvidence(e, {s.Fo, s.Fi, s.Fw, s.Fq, s.Fr});
    ASSERT_EQ(ranked.size(), 4u);
    if (*GetParam().family == '\0') {
        for (const FamilyEvidence& f : ranked) {
            EXPECT_NE(f.verdict, Verdict::Strong) << describeEvidence(f);
        }
        EXPECT_LT(suggested.measure, 2.5); // noise's envelope: about 2
        return;
    }
    EXPECT_LT(suggested.band.low, 3000);
    EXPECT_GT(suggested.band.high, 3000);
    EXPECT_GT(suggested.measure, 3);
    EXPECT_EQ(ranked[0].family, GetParam().family) << describeEvidence(ranked[0]);
    EXPECT_EQ(ranked[0].verdict, Verdict::Strong);
    EXPECT_EQ(ranked[0].harmonicsFound, 5) << describeEvidence(ranked[0]);
    EXPECT_GE(ranked[0].sidebandsFound, GetParam().sidebands) << describeEvidence(ranked[0]);
    for (std::size_t i = 1; i < ranked.size(); ++i) {
        EXPECT_NE(ranked[i].verdict, Verdict::Strong) << describeEvidence(ranked[i]);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, Diagnosis,
                         testing::Values(FaultCase{Fault::Outer, "outer", 0},
                                         FaultCase{Fault::Inner, "inner", 8},
                                         FaultCase{Fault::Ball, "ball", 8},
                                         FaultCase{Fault::None, "", 0}));

TEST(Evidence, DescribesWhatWasFoundAndRefinesTheShaftSpeed) {
    FamilyEvidence e{"inner", "Fi", 5, 4, 10, 3, 12.4, 162.57, 160.8, 9.5, Verdict::Strong};
    EXPECT_EQ(describeEvidence(e), "Fi: 160,8 Hz (−1,1 %), 4 of 5 harmonics, 12 dB above the "
                                   "floor; sidebands ±Fr: 3 of 10");
    EXPECT_EQ(describeEvidence(e, true), "Fi: 160,8 Гц (−1,1 %), 4 из 5 гармоник, на 12 дБ выше "
                                         "фона; боковые ±Fr: 3 из 10");
    e.found = 0, e.harmonicsFound = 0;
    EXPECT_EQ(describeEvidence(e), "Fi: 0 of 5 harmonics; sidebands ±Fr: 3 of 10");
    const SynthSettings s = bearing(Fault::None);
    const Spectrum raw = amplitudeSpectrum(synthesize(s), s.sampleRate, {});
    const std::optional<double> fr = refineShaftSpeed(raw, 30.6);
    ASSERT_TRUE(fr);
    EXPECT_NEAR(*fr, 29.95, raw.resolution / 10);
    EXPECT_FALSE(refineShaftSpeed(raw, 45)); // nothing within 5 %
}

TEST(Envelope, RefusesABandOutsideTheRecord) {
    const std::vector<double> x(1000, 0.0);
    EXPECT_THROW(envelopeSpectrum(x, 1000, {100, 600}, {}), SpectrumFileError);
    EXPECT_THROW(envelopeSpectrum(x, 1000, {300, 300.5}, {}), SpectrumFileError);
}

} // namespace
} // namespace orbistan
