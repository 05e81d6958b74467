// The shaft's running speed found in records whose speed is known: a 6205 whose shaft turns
// at 28,75 Hz (a motor slipping under load), its speed typed as a user would, a few percent
// off, beside the mains, in noise alone, and in records too short to place it finely.
#include "spectrum/analysis/shaft_speed.h"
#include "spectrum/diagnosis/synth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace orbistan {
namespace {

constexpr double kRunning = 28.75; // Hz: 1725 rpm

// A 6205 with an outer-race fault turning at `fr`, 12 kHz.
SynthSettings bearingAt(double fr, double seconds = 10) {
    SynthSettings s;
    const double k = fr / 29.95;
    s.Fr = fr, s.Fo = 106.979844155844 * k, s.Fi = 162.570155844156 * k;
    s.Fw = 69.5234251692891 * k, s.Fq = 11.8866493506493 * k;
    s.seconds = seconds;
    s.noise = 0.3;
    return s;
}

Waveform recordOf(std::vector<double> samples, double rate = 12000) {
    Waveform w;
    w.samples = std::move(samples);
    w.sampleRate = rate;
    w.channels = 1;
    return w;
}

void addTone(std::vector<double>& x, double amplitude, double hz, double rate) {
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] += amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate);
    }
}

struct TypedOff {
    double percent; // how far off the speed is typed
    double seconds;
    double within; // of the running speed, relative
    // One speed found beyond chance; else the typed one and the comb's, for the families'
    // evidence to choose between.
    bool credible = true;
};

class SpeedTypedOff : public testing::TestWithParam<TypedOff> {};

TEST_P(SpeedTypedOff, TheRunningSpeedIsFoundOnceForEveryFamily) {
    const TypedOff c = GetParam();
    const Waveform w = recordOf(synthesize(bearingAt(kRunning, c.seconds)));
    const double typed = kRunning * (1 + c.percent / 100);
    const std::vector<ShaftSpeed> speeds = findShaftSpeeds(w, typed, {});
    ASSERT_EQ(speeds.size(), c.credible ? 1u : 2u) << speeds.size();
    if (!c.credible) {
        EXPECT_EQ(speeds[0], typedSpeed(typed, SpeedSource::Unproven));
    }
    const ShaftSpeed& found = speeds.back();
    EXPECT_EQ(found.source, SpeedSource::Spectrum);
    EXPECT_NEAR(found.hz, kRunning, c.within * kRunning);
    EXPECT_EQ(found.typed, typed); // what was typed stays as typed
    EXPECT_GE(found.harmonics, 3);
    // Its uncertainty says how well the record places it: no better than its error.
    EXPECT_GT(found.uncertainty, std::abs(found.hz / kRunning - 1) / 10);
}

INSTANTIATE_TEST_SUITE_P(Typed, SpeedTypedOff,
                         testing::Values(TypedOff{-9, 10, 2e-4}, TypedOff{-5, 10, 2e-4},
                                         TypedOff{-2, 10, 2e-4}, TypedOff{0, 10, 2e-4},
                                         TypedOff{2, 10, 2e-4}, TypedOff{5, 10, 2e-4},
                                         TypedOff{9, 10, 2e-4}, TypedOff{3, 4, 2e-4, false},
                                         TypedOff{4.2, 1, 3e-3, false}));

// A comb not beyond chance over the whole range is, where the speed typed puts it: it confirms
// that speed.
TEST(ShaftSpeed, ACombWhereTheSpeedTypedPutsItConfirmsIt) {
    SynthSettings s = bearingAt(29.95, 4);
    s.noise = 0.1;
    const Waveform w = recordOf(synthesize(s));
    const std::vector<ShaftSpeed> off = findShaftSpeeds(w, 29.95 * 1.03, {});
    ASSERT_EQ(off.size(), 2u); // only plausible 3 % off
    EXPECT_NEAR(off[1].hz, 29.95, 2e-4 * 29.95);
    const std::vector<ShaftSpeed> typed = findShaftSpeeds(w, 29.95, {});
    ASSERT_EQ(typed.size(), 1u);
    EXPECT_EQ(typed[0].source, SpeedSource::Spectrum);
    EXPECT_NEAR(typed[0].hz, 29.95, 2e-4 * 29.95);
}

TEST(ShaftSpeed, AMainsLineAtTwiceTheSpeedIsNotTakenForIt) {
    // A four-pole motor at 60 Hz slipping 2 %: its 2× at 58,8 Hz beside the mains' 60 Hz,
    // twice as tall as the shaft's own line; typed at the synchronous 30 Hz.
    std::vector<double> x = synthesize(bearingAt(29.4));
    addTone(x, 0.6, 60, 12000);
    addTone(x, 0.2, 120, 12000);
    const std::vector<ShaftSpeed> speeds = findShaftSpeeds(recordOf(std::move(x)), 30, {});
    ASSERT_EQ(speeds.size(), 1u);
    EXPECT_EQ(speeds[0].source, SpeedSource::Spectrum);
    EXPECT_NEAR(speeds[0].hz, 29.4, 0.01);
}

TEST(ShaftSpeed, NothingCredibleLeavesTheSpeedTyped) {
    // Noise, and one lone tone within the range: no shaft's comb.
    std::vector<double> x(120000);
    std::mt19937_64 random(5);
    std::normal_distribution<double> gauss(0.0, 0.3);
    for (double& v : x) {
        v = gauss(random);
    }
    addTone(x, 0.5, 30.5, 12000);
    const std::vector<ShaftSpeed> speeds = findShaftSpeeds(recordOf(std::move(x)), 29.95, {});
    ASSERT_FALSE(speeds.empty());
    EXPECT_EQ(speeds[0].source, SpeedSource::Unproven);
    EXPECT_EQ(speeds[0].hz, 29.95);
    for (const ShaftSpeed& s : speeds) {
        EXPECT_GT(std::abs(s.hz - 30.5), 0.05); // the lone tone is no shaft
    }
}

TEST(ShaftSpeed, TheSearchLooksOnlyWithinItsRangeAndNotWhenTheSpeedIsExact) {
    const Waveform w = recordOf(synthesize(bearingAt(kRunning)));
    // 15 % off with a range of 10 %: the running speed lies outside it.
    const std::vector<ShaftSpeed> outside = findShaftSpeeds(w, kRunning * 1.15, {10, false});
    EXPECT_EQ(outside.front().source, SpeedSource::Unproven);
    EXPECT_EQ(outside.front().hz, kRunning * 1.15);
    const std::vector<ShaftSpeed> wider = findShaftSpeeds(w, kRunning * 1.15, {20, false});
    EXPECT_NEAR(wider.front().hz, kRunning, 0.01);
    const std::vector<ShaftSpeed> exact = findShaftSpeeds(w, 29.95, {10, true});
    ASSERT_EQ(exact.size(), 1u);
    EXPECT_EQ(exact[0], typedSpeed(29.95));
}

TEST(ShaftSpeed, TheBearingsFrequenciesFollowTheSpeed) {
    const SearchBases typed{107, 162.5, 69.5, 11.9, 29.95};
    const SearchBases found = atShaftSpeed(typed, 28.75);
    const double k = 28.75 / 29.95;
    EXPECT_DOUBLE_EQ(found.Fo, 107 * k);
    EXPECT_DOUBLE_EQ(found.Fi, 162.5 * k);
    EXPECT_DOUBLE_EQ(found.Fw, 69.5 * k);
    EXPECT_DOUBLE_EQ(found.Fq, 11.9 * k);
    EXPECT_EQ(found.Fr, 28.75);
    EXPECT_EQ(atShaftSpeed(SearchBases{}, 28.75), SearchBases{}); // nothing computed
}

struct SpeedWords {
    ShaftSpeed speed;
    const char* russian;
    const char* english;
};

class SpeedSaid : public testing::TestWithParam<SpeedWords> {};

TEST_P(SpeedSaid, SaysWhichSpeedAndHowItWasKnown) {
    EXPECT_EQ(speedText(GetParam().speed, true), GetParam().russian);
    EXPECT_EQ(speedText(GetParam().speed, false), GetParam().english);
}

INSTANTIATE_TEST_SUITE_P(
    Sources, SpeedSaid,
    testing::Values(SpeedWords{{28.7538, 29.95, SpeedSource::Spectrum, 1e-4, 9},
                               "Fr = 28,75 Гц (1725 об/мин) — по спектру, введено 29,95",
                               "Fr 28,75 Hz (1725 rpm) from the spectrum, typed 29,95"},
                    SpeedWords{typedSpeed(29.95, SpeedSource::Unproven),
                               "Fr = 29,95 Гц (1797 об/мин) — введено, по записи не подтверждено",
                               "Fr 29,95 Hz (1797 rpm) typed, not confirmed by the record"},
                    SpeedWords{typedSpeed(25), "Fr = 25 Гц (1500 об/мин) — введено",
                               "Fr 25 Hz (1500 rpm) typed"},
                    SpeedWords{{3.14159, 3.2, SpeedSource::Spectrum, 0, 3},
                               "Fr = 3,142 Гц (188 об/мин) — по спектру, введено 3,2",
                               "Fr 3,142 Hz (188 rpm) from the spectrum, typed 3,2"}));

} // namespace
} // namespace orbistan
