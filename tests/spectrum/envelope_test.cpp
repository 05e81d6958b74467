// Envelope analysis and the verdict per fault on synthetic signals whose answers are known:
// a 6205 at 1797 rpm, 12 kHz for 10 s, impacts ringing a 3 kHz resonance in noise.
#include "spectrum/band_map.h"
#include "spectrum/envelope.h"
#include "spectrum/evidence.h"
#include "spectrum/synth.h"

#include <gtest/gtest.h>

#include <cmath>
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
    // The other families' lines that the fault's explain are not theirs: none even weak;
    // but a ball fault's cage modulation is the cage's line.
    for (std::size_t i = 1; i < ranked.size(); ++i) {
        if (GetParam().fault == Fault::Ball) {
            EXPECT_NE(ranked[i].verdict, Verdict::Strong) << describeEvidence(ranked[i]);
        } else {
            EXPECT_EQ(ranked[i].verdict, Verdict::None) << describeEvidence(ranked[i]);
        }
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

namespace orbistan {
namespace {

// A spectrum of noise-like scatter with lines placed where a test wants them.
Spectrum linesOn(std::vector<std::pair<double, double>> lines, double resolution = 0.5) {
    Spectrum s;
    s.resolution = resolution;
    for (int k = 0; k < 4000; ++k) {
        s.frequency.push_back(k * resolution);
        s.amplitude.push_back(1 + 0.3 * std::sin(1.7 * k) * std::sin(0.31 * k));
    }
    for (const auto& [f, a] : lines) {
        const auto k = static_cast<std::size_t>(std::lround(f / resolution));
        s.amplitude[k] = a;
        s.amplitude[k - 1] = std::max(s.amplitude[k - 1], a / 3);
        s.amplitude[k + 1] = std::max(s.amplitude[k + 1], a / 3);
    }
    return s;
}

const SearchBases kBases{106.979844155844, 162.570155844156, 69.5234251692891, 11.8866493506493,
                         29.95};

// Real fault lines sit a little off the kinematic frequency: within the slip they are
// found, and where; beyond it they are not the family's.
TEST(Evidence, FindsTheFundamentalWithinTheSlipAndSaysWhere) {
    const struct {
        double offset; // of the lines, from the kinematic Fo
        double slip;   // percent
        bool found;
    } cases[] = {{-0.015, 2, true}, {0.012, 2, true}, {-0.03, 2, false}, {-0.03, 4, true}};
    for (const auto& c : cases) {
        std::vector<std::pair<double, double>> lines;
        for (int k = 1; k <= 5; ++k) {
            lines.push_back({k * kBases.Fo * (1 + c.offset), 20});
        }
        const FamilyEvidence e = rankEvidence(linesOn(lines), kBases, c.slip).front();
        EXPECT_EQ(e.family == "outer" && e.verdict == Verdict::Strong, c.found)
            << c.offset << " " << describeEvidence(e);
        if (c.found) {
            EXPECT_NEAR(e.found, kBases.Fo * (1 + c.offset), 0.3);
            EXPECT_EQ(e.harmonicsFound, 5);
        }
    }
}

// The skirt of a strong line is no line of its own, and the shaft's own harmonics count for
// no family.
TEST(Evidence, ShaftLinesAndTheirSkirtsAreNoFamilysEvidence) {
    // 5·Fq = 59,43 Hz sits a line from 2·Fr = 59,9 Hz; Fq's other harmonics are absent.
    Spectrum s = linesOn({{29.95, 200}, {59.9, 150}, {89.85, 100}});
    s.amplitude[119] = 60; // 59,5 Hz: a bump on 2·Fr's skirt
    for (const FamilyEvidence& e : rankEvidence(s, kBases)) {
        EXPECT_EQ(e.verdict, Verdict::None) << describeEvidence(e);
        EXPECT_LE(e.harmonicsFound, 1) << describeEvidence(e);
    }
}

// Three times Fo is twice Fi slipped by 1,3 %, six times Fo four times: those lines are the
// outer race's, which claims them first, and leave the inner race nothing.
TEST(Evidence, TheClearestFamilyClaimsTheLinesItExplains) {
    std::vector<std::pair<double, double>> lines;
    for (int k = 1; k <= 10; ++k) {
        lines.push_back({k * kBases.Fo, 20});
    }
    const std::vector<FamilyEvidence> ranked = rankEvidence(linesOn(lines), kBases);
    EXPECT_EQ(ranked[0].family, "outer");
    EXPECT_EQ(ranked[0].verdict, Verdict::Strong);
    for (std::size_t i = 1; i < ranked.size(); ++i) {
        EXPECT_EQ(ranked[i].verdict, Verdict::None) << describeEvidence(ranked[i]);
    }
}

// The pre-whitened record's envelope finds each fault without a band being chosen.
TEST(Envelope, PreWhitenedWholeBandFindsTheFault) {
    for (const auto& [fault, family] :
         {std::pair{Fault::Outer, "outer"}, std::pair{Fault::Inner, "inner"}}) {
        const SynthSettings s = bearing(fault);
        const std::vector<double> x = synthesize(s);
        const Spectrum e = envelopeSpectrum(x, s.sampleRate, {0, 6000}, {}, true);
        EXPECT_EQ(amplitudeCaption(e.units), "Огибающая² выбеленного сигнала 0–6000 Гц, пик");
        const FamilyEvidence first = rankEvidence(e, {s.Fo, s.Fi, s.Fw, s.Fq, s.Fr}).front();
        EXPECT_EQ(first.family, family) << describeEvidence(first);
        EXPECT_EQ(first.verdict, Verdict::Strong) << describeEvidence(first);
    }
}

// The caption rounds the band's edges as its fields do, never cutting them short.
TEST(Envelope, CaptionRoundsTheBandAsItsFieldsDo) {
    const SynthSettings s = bearing(Fault::Outer);
    const Spectrum e = envelopeSpectrum(synthesize(s), s.sampleRate, {1997.6, 4001.5}, {}, false);
    EXPECT_EQ(amplitudeCaption(e.units), "Огибающая² 1998–4002 Гц, пик");
}

// The band map covers the band at every level of the 1/3-binary tree, widest first, down to
// three times the highest fault frequency; the resonance's band is the best.
TEST(BandMapTree, LevelsCoverTheBandAndTheResonanceWins) {
    const SynthSettings s = bearing(Fault::Outer);
    const BandMap map = bandMap(synthesize(s), s.sampleRate, 200);
    ASSERT_GE(map.levels.size(), 5u);
    const double widths[] = {3000, 2000, 1500, 1000, 750};
    for (std::size_t l = 0; l < 5; ++l) {
        EXPECT_DOUBLE_EQ(map.levels[l].bandwidth, widths[l]);
        EXPECT_EQ(map.levels[l].measures.size(), static_cast<std::size_t>(6000 / widths[l]));
    }
    EXPECT_EQ(map.levels.size(), 5u); // the next, 500 Hz, is under three times 200 Hz
    EXPECT_LE(map.best.low, 3000);
    EXPECT_GE(map.best.high, 3000);
    EXPECT_GT(map.bestMeasure, 3);
    EXPECT_THROW(bandMap(std::vector<double>(100, 0.0), 12000, 500), SpectrumFileError);
}

TEST(Envelope, LinesFollowTheRate) {
    EXPECT_EQ(envelopeLines(12000), 3200);
    EXPECT_EQ(envelopeLines(48000), 12800);
    EXPECT_EQ(envelopeLines(48828.125), 12800);
    EXPECT_EQ(envelopeLines(1e6), 25600);
    EXPECT_EQ(envelopeLines(1000), 400);
}

} // namespace
} // namespace orbistan
