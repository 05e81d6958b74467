// Envelope analysis and the verdict per fault on synthetic signals whose answers are known:
// a 6205 at 1797 rpm, 12 kHz for 10 s, impacts ringing a 3 kHz resonance in noise.
#include "calc/numbers.h"
#include "spectrum/diagnosis/evidence.h"
#include "spectrum/diagnosis/explain.h"
#include "spectrum/diagnosis/markers.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/band_map.h"
#include "spectrum/dsp/envelope.h"
#include "spectrum/dsp/fft.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <stdexcept>

namespace orbistan {
namespace {

SynthSettings bearing(std::optional<FaultFamily> fault) {
    SynthSettings s;
    s.fault = fault;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.noise = 0.3;
    return s;
}

struct FaultCase {
    std::optional<FaultFamily> fault; // ranked first, as strong evidence; none: nothing strong
    int sidebands;                    // of the first family, found of 10
};

class Diagnosis : public testing::TestWithParam<FaultCase> {};

TEST_P(Diagnosis, EnvelopeOfTheResonanceBandPointsToTheFault) {
    const SynthSettings s = bearing(GetParam().fault);
    const std::vector<double> x = synthesize(s);
    const SuggestedBand suggested = suggestBand(x, s.sampleRate);
    const Spectrum e = envelopeSpectrum(x, s.sampleRate, {2000, 4000}, {});
    const std::vector<FamilyEvidence> ranked = rankEvidence(e, {s.Fo, s.Fi, s.Fw, s.Fq, s.Fr});
    ASSERT_EQ(ranked.size(), 4u);
    if (!GetParam().fault) {
        for (const FamilyEvidence& f : ranked) {
            EXPECT_NE(f.verdict, Verdict::Strong) << describeEvidence(f);
        }
        EXPECT_LT(suggested.measure, 2.5); // noise's envelope: about 2
        return;
    }
    EXPECT_LT(suggested.band.low, 3000);
    EXPECT_GT(suggested.band.high, 3000);
    EXPECT_GT(suggested.measure, 3);
    EXPECT_EQ(ranked[0].family, *GetParam().fault) << describeEvidence(ranked[0]);
    EXPECT_EQ(ranked[0].verdict, Verdict::Strong);
    EXPECT_EQ(ranked[0].harmonicsFound, 5) << describeEvidence(ranked[0]);
    EXPECT_GE(ranked[0].sidebandsFound, GetParam().sidebands) << describeEvidence(ranked[0]);
    // Each line found is its harmonic of the fundamental found, standing above the floor by
    // at least the mean the verdict was made on, taken together.
    const FamilyEvidence& first = ranked[0];
    ASSERT_EQ(first.lines.size(), 5u);
    double decibels = 0;
    for (std::size_t k = 0; k < first.lines.size(); ++k) {
        EXPECT_EQ(first.lines[k].order, static_cast<int>(k) + 1);
        EXPECT_NEAR(first.lines[k].frequency, (k + 1) * first.found, 2 * e.resolution);
        EXPECT_GT(first.lines[k].decibels, 6);
        decibels += first.lines[k].decibels / 5;
    }
    EXPECT_NEAR(decibels, first.decibelsAboveFloor, 1e-9);
    const std::string symbol(faultFamily(first.family).symbol);
    EXPECT_TRUE(foundLinesText(first).starts_with(symbol + " ")) << foundLinesText(first);
    EXPECT_NE(foundLinesText(first).find(" · " + harmonicName(5, symbol) + " "), std::string::npos)
        << foundLinesText(first); // "10·Fw" for the rolling element
    // The other families' lines that the fault's explain are not theirs: none even weak;
    // but a ball fault's cage modulation is the cage's line.
    for (std::size_t i = 1; i < ranked.size(); ++i) {
        if (GetParam().fault == FaultFamily::Ball) {
            EXPECT_NE(ranked[i].verdict, Verdict::Strong) << describeEvidence(ranked[i]);
        } else {
            EXPECT_EQ(ranked[i].verdict, Verdict::None) << describeEvidence(ranked[i]);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, Diagnosis,
                         testing::Values(FaultCase{FaultFamily::Outer, 0},
                                         FaultCase{FaultFamily::Inner, 8},
                                         FaultCase{FaultFamily::Ball, 8},
                                         FaultCase{std::nullopt, 0}));

TEST(Evidence, DescribesWhatWasFound) {
    FamilyEvidence e{FaultFamily::Inner, 5, 4, 10, 3, 12.4, 162.57, 160.8, 9.5,
                     Verdict::Strong,    {}};
    EXPECT_EQ(describeEvidence(e), "Fi: 160,8 Hz (−1,1 %), 4 of 5 harmonics, 12 dB above the "
                                   "floor; sidebands ±Fr: 3 of 10");
    EXPECT_EQ(describeEvidence(e, true), "Fi: 160,8 Гц (−1,1 %), 4 из 5 гармоник, на 12 дБ выше "
                                         "фона; боковые ±Fr: 3 из 10");
    e.found = 0, e.harmonicsFound = 0;
    EXPECT_EQ(describeEvidence(e), "Fi: 0 of 5 harmonics; sidebands ±Fr: 3 of 10");
    // A slow family's window, widened to half a line, is said.
    FamilyEvidence cage{FaultFamily::Cage, 5, 2, 0, 0, 5.2, 11.89, 11.5, 3, Verdict::Weak, {}};
    cage.widenedWindow = 6.14;
    EXPECT_EQ(describeEvidence(cage), "Fq: 11,5 Hz (−3,3 %), 2 of 5 harmonics, 5 dB above the "
                                      "floor; window ±6,1 %");
    EXPECT_EQ(describeEvidence(cage, true), "Fq: 11,5 Гц (−3,3 %), 2 из 5 гармоник, на 5 дБ выше "
                                            "фона; окно ±6,1 %");
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
        EXPECT_EQ(e.family == FaultFamily::Outer && e.verdict == Verdict::Strong, c.found)
            << c.offset << " " << describeEvidence(e);
        if (c.found) {
            EXPECT_NEAR(e.found, kBases.Fo * (1 + c.offset), 0.3);
            EXPECT_EQ(e.harmonicsFound, 5);
        }
    }
}

// Each family is looked for within its slip in proportion to its own frequency, as near as
// the lines allow: the cage's 12 Hz lines 5 % off are not the cage's, though they stand
// within a line of where it belongs.
TEST(Evidence, TheSlowFamiliesWindowIsInProportionToTheirFrequency) {
    const SearchBases bases{106.979844155844, 162.570155844156, 69.5234251692891, 11.8866493506493,
                            31};
    const struct {
        double offset;
        bool found;
    } cases[] = {{0.01, true}, {-0.012, true}, {0.05, false}, {-0.05, false}};
    for (const auto& c : cases) {
        std::vector<std::pair<double, double>> lines;
        for (int k = 1; k <= 5; ++k) {
            lines.push_back({k * bases.Fq * (1 + c.offset), 20});
        }
        const std::vector<FamilyEvidence> ranked = rankEvidence(linesOn(lines), bases, 2);
        const auto cage = std::find_if(ranked.begin(), ranked.end(), [](const FamilyEvidence& e) {
            return e.family == FaultFamily::Cage;
        });
        EXPECT_EQ(cage->verdict == Verdict::Strong, c.found) << c.offset << describeEvidence(*cage);
        EXPECT_EQ(cage->harmonicsFound > 0, c.found) << c.offset << describeEvidence(*cage);
    }
}

// The mains explain a line only where they stand: a 6205 (of 39,04 mm pitch) at 2000 rpm puts
// its Fo at 119,5 Hz, half a line from twice the mains, and its outer race is as plainly
// strong as at 1797 rpm.
TEST(Evidence, AFamilyBesideTwiceTheMainsIsItsOwn) {
    for (const double rpm : {1797.0, 2000.0}) {
        SynthSettings s = bearing(FaultFamily::Outer);
        const double k = rpm / 60 / (2000.0 / 60);
        s.Fr = rpm / 60, s.Fo = 119.492827868852 * k, s.Fi = 180.507172131147 * k;
        s.Fw = 78.5582571127719 * k, s.Fq = 13.2769808743169 * k;
        const Spectrum e = envelopeSpectrum(synthesize(s), s.sampleRate, {2000, 4000}, {});
        const FamilyEvidence first = rankEvidence(e, {s.Fo, s.Fi, s.Fw, s.Fq, s.Fr}).front();
        EXPECT_EQ(first.family, FaultFamily::Outer) << rpm;
        EXPECT_EQ(first.verdict, Verdict::Strong) << rpm << " " << describeEvidence(first);
        EXPECT_GE(first.harmonicsFound, 4) << rpm << " " << describeEvidence(first);
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
    EXPECT_EQ(ranked[0].family, FaultFamily::Outer);
    EXPECT_EQ(ranked[0].verdict, Verdict::Strong);
    for (std::size_t i = 1; i < ranked.size(); ++i) {
        EXPECT_EQ(ranked[i].verdict, Verdict::None) << describeEvidence(ranked[i]);
    }
}

// The lines a machine's envelope spectrum has anyway, and those a found family explains,
// make no other family strong (nor, for the machine's, even weak): the shaft's harmonics far
// beyond the sixth, the mains' where 60 and 120 Hz stand out, the outer race's lines at the
// cage's rate (Fo/Z: the elements are not alike), the rolling element's ±Fq sidebands.
TEST(Evidence, LinesTheMachineOrAClearerFamilyExplainMakeNoOtherFamilyStrong) {
    using Lines = std::vector<std::pair<double, double>>;
    const auto comb = [](double spacing, int count, double amplitude, Lines lines = {}) {
        for (int k = 1; k <= count; ++k) {
            lines.push_back({k * spacing, amplitude});
        }
        return lines;
    };
    const auto withSidebands = [](double centre, double modulator, double amplitude, Lines lines) {
        for (int k = 1; k <= 5; ++k) {
            for (int m : {-1, 1}) {
                lines.push_back({k * centre + m * modulator, amplitude});
            }
        }
        return lines;
    };
    const double ball = 2 * kBases.Fw;
    const struct {
        const char* what;
        Lines lines;
        std::optional<FaultFamily> first; // strong and first; none: nothing even weak
    } cases[] = {
        {"the shaft's 60 harmonics", comb(kBases.Fr, 60, 20), std::nullopt},
        {"the mains' 30 harmonics", comb(60, 30, 20), std::nullopt},
        {"both", comb(60, 30, 20, comb(kBases.Fr, 60, 20)), std::nullopt},
        {"Fo and its lines at Fo/9", comb(kBases.Fo, 5, 40, comb(kBases.Fo / 9, 60, 12)),
         FaultFamily::Outer},
        {"2·Fw and its ±Fq", withSidebands(ball, kBases.Fq, 12, comb(ball, 5, 40)),
         FaultFamily::Ball},
        {"Fi and its ±Fr", withSidebands(kBases.Fi, kBases.Fr, 12, comb(kBases.Fi, 5, 40)),
         FaultFamily::Inner},
    };
    for (const auto& c : cases) {
        const std::vector<FamilyEvidence> ranked = rankEvidence(linesOn(c.lines), kBases);
        if (c.first) {
            EXPECT_EQ(ranked[0].family, *c.first) << c.what << ": " << describeEvidence(ranked[0]);
            EXPECT_EQ(ranked[0].verdict, Verdict::Strong) << c.what;
        }
        for (std::size_t i = c.first ? 1 : 0; i < ranked.size(); ++i) {
            EXPECT_EQ(ranked[i].verdict, c.first ? ranked[i].verdict : Verdict::None)
                << c.what << ": " << describeEvidence(ranked[i]);
            EXPECT_NE(ranked[i].verdict, Verdict::Strong)
                << c.what << ": " << describeEvidence(ranked[i]);
        }
    }
}

// Once a family is found, the peak table names its lines as its harmonics and sidebands at
// the frequency found, however the computed frequencies combine near them, and its marker
// lines stand there, the computed ones beside them only as such.
TEST(Evidence, TheFoundFamilysLinesAreExplainedAndDrawnWhereFound) {
    const double fi = kBases.Fi * 0.991; // slipped, as real inner races do
    std::vector<std::pair<double, double>> lines;
    for (int k = 1; k <= 5; ++k) {
        lines.push_back({k * fi, 40});
        lines.push_back({k * fi - kBases.Fr, 12});
        lines.push_back({k * fi + kBases.Fr, 12});
    }
    const Spectrum s = linesOn(lines);
    const std::vector<FamilyEvidence> diagnosis = rankEvidence(s, kBases);
    ASSERT_EQ(diagnosis[0].family, FaultFamily::Inner);
    ASSERT_NEAR(diagnosis[0].found, fi, s.resolution / 2);
    const std::vector<ExplainedPeak> rows =
        explainPeaks(findPeaks(s, 15), kBases, {0, 1, 1, 10, 1000}, 1, s.resolution, diagnosis);
    ASSERT_EQ(rows.size(), 15u);
    for (const ExplainedPeak& row : rows) {
        ASSERT_TRUE(row.best) << row.peak.frequency;
        const double k = std::round((row.peak.frequency + 1) / fi); // sidebands: k·Fi ± Fr
        const double offset = row.peak.frequency - k * fi;
        const std::string expected = std::abs(offset) < 1
                                         ? (k == 1 ? "Fi" : formatGeneral(k) + "·Fi")
                                     : offset > 0 ? "Fi + Fr"
                                                  : "Fi - Fr";
        EXPECT_EQ(row.best->name, expected) << row.peak.frequency;
        EXPECT_EQ(row.best->m, k) << row.peak.frequency;
        EXPECT_LE(row.best->residual, s.resolution) << row.peak.frequency;
    }

    const std::array<bool, 6> all{true, true, true, true, true, true};
    const std::vector<MarkerLine> markers =
        markerLines(kBases, all, 3, 1, 1000, {{MarkFi, diagnosis[0].found}});
    for (int k = 1; k <= 3; ++k) {
        const auto at = [&](double f, bool computed) {
            return std::count_if(markers.begin(), markers.end(), [&](const MarkerLine& m) {
                return m.family == MarkFi && m.sideband == 0 && m.computed == computed &&
                       std::abs(m.frequency - f) < 1e-9;
            });
        };
        EXPECT_EQ(at(k * diagnosis[0].found, false), 1) << k;
        EXPECT_EQ(at(k * kBases.Fi, true), 1) << k;
    }
    const std::optional<MarkerLine> named = nearestMarker(markers, kBases.Fi, 2);
    ASSERT_TRUE(named);
    EXPECT_FALSE(named->computed); // the cursor names the line found, not the computed one
}

// Scores are never cut off: two strong families rank by how clear they are, however clear.
TEST(Evidence, ScoresRankTwoStrongFamiliesByHowClearTheyAre) {
    std::vector<std::pair<double, double>> lines;
    for (int k = 1; k <= 5; ++k) {
        lines.push_back({k * kBases.Fo, 2000});
        lines.push_back({k * kBases.Fi, 500});
    }
    const std::vector<FamilyEvidence> ranked = rankEvidence(linesOn(lines), kBases);
    ASSERT_EQ(ranked[0].family, FaultFamily::Outer) << describeEvidence(ranked[0]);
    ASSERT_EQ(ranked[1].family, FaultFamily::Inner) << describeEvidence(ranked[1]);
    EXPECT_EQ(ranked[1].verdict, Verdict::Strong) << describeEvidence(ranked[1]);
    EXPECT_GT(ranked[1].score, 300);
    EXPECT_GT(ranked[0].score, 2 * ranked[1].score);
}

// The pre-whitened record's envelope finds each fault without a band being chosen.
TEST(Envelope, PreWhitenedWholeBandFindsTheFault) {
    for (const FaultFamily family : {FaultFamily::Outer, FaultFamily::Inner}) {
        const SynthSettings s = bearing(family);
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
    const SynthSettings s = bearing(FaultFamily::Outer);
    const Spectrum e = envelopeSpectrum(synthesize(s), s.sampleRate, {1997.6, 4001.5}, {}, false);
    EXPECT_EQ(amplitudeCaption(e.units), "Огибающая² 1998–4002 Гц, пик");
}

// The band map covers the band at every level of the 1/3-binary tree, widest first, down to
// three times the highest fault frequency; the resonance's band is the best.
TEST(BandMapTree, LevelsCoverTheBandAndTheResonanceWins) {
    const SynthSettings s = bearing(FaultFamily::Outer);
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

// ---- The envelope at the rate it needs, in one buffer, equals the envelope computed the
// long way: forward and inverse transforms as long as the record, its spectrum averaged at
// the record's rate.

std::vector<double> noisyTones(std::size_t n, unsigned seed) {
    std::vector<double> x(n);
    unsigned state = seed;
    for (std::size_t i = 0; i < n; ++i) {
        state = state * 1664525u + 1013904223u;
        const double t = static_cast<double>(i) / 12000;
        x[i] = std::sin(2 * std::numbers::pi * 3000 * t) *
                   (1 + 0.5 * std::cos(2 * std::numbers::pi * 97 * t)) +
               0.3 * std::sin(2 * std::numbers::pi * 1234.5 * t) + (state >> 8) * 0x1p-24 - 0.5;
    }
    return x;
}

// The analytic signal of the band by transforms of the record's own length, squared, its
// mean removed, and its averaged spectrum at the record's rate.
Spectrum envelopeTheLongWay(const std::vector<double>& x, double rate, Band band, bool whiten,
                            int lines, double span) {
    const std::size_t n = x.size();
    fft::Forward forward(n);
    std::copy(x.begin(), x.end(), forward.input());
    const fftw_complex* X = forward.run();
    std::vector<fftw_complex> z(n), a(n);
    std::fill(z[0], z[0] + 2 * n, 0.0);
    const double perLine = rate / static_cast<double>(n);
    const auto first = static_cast<std::size_t>(std::max(1.0, std::ceil(band.low / perLine)));
    const auto last = std::min((n - 1) / 2, static_cast<std::size_t>(band.high / perLine));
    for (std::size_t k = first; k <= last; ++k) {
        const double magnitude = whiten ? std::hypot(X[k][0], X[k][1]) : 1;
        z[k][0] = 2 * X[k][0] / magnitude / static_cast<double>(n);
        z[k][1] = 2 * X[k][1] / magnitude / static_cast<double>(n);
    }
    fftw_plan inverse =
        fftw_plan_dft_1d(static_cast<int>(n), z.data(), a.data(), FFTW_BACKWARD, FFTW_ESTIMATE);
    fftw_execute(inverse);
    fftw_destroy_plan(inverse);
    std::vector<double> e(n);
    double mean = 0;
    for (std::size_t i = 0; i < n; ++i) {
        e[i] = a[i][0] * a[i][0] + a[i][1] * a[i][1];
        mean += e[i] / static_cast<double>(n);
    }
    for (double& v : e) {
        v -= mean;
    }
    return amplitudeSpectrum(e, rate, {WindowKind::Hann, lines, Scaling::Peak, span});
}

struct LongWayCase {
    std::size_t n; // 120 000 = 2⁶·3·5⁴ is a round length; 120 011 is prime, padded
    Band band;
    bool whiten;
    int lines;
    // Of the largest line: the decimated envelope's window folds its own sidelobes, about
    // 10⁻⁷ down. (A pre-whitened record padded to a round length is a different noise, and
    // its envelope's lines are not compared.)
    double tolerance;
    double span = 0; // the envelope's own, narrowed by a filter that ends where the lines do
};

class EnvelopeRate : public testing::TestWithParam<LongWayCase> {};

TEST_P(EnvelopeRate, EqualsTheEnvelopeAtTheRecordsRate) {
    const LongWayCase c = GetParam();
    const std::vector<double> x = noisyTones(c.n, 7);
    const Spectrum fast = envelopeSpectrum(
        x, 12000, c.band, {WindowKind::Hann, c.lines, Scaling::Peak, c.span}, c.whiten);
    const Spectrum slow = envelopeTheLongWay(x, 12000, c.band, c.whiten, c.lines, c.span);
    ASSERT_EQ(fast.amplitude.size(), slow.amplitude.size());
    EXPECT_DOUBLE_EQ(fast.resolution, slow.resolution);
    const double top = *std::max_element(slow.amplitude.begin(), slow.amplitude.end());
    double worst = 0;
    for (std::size_t k = 0; k < slow.amplitude.size(); ++k) {
        EXPECT_DOUBLE_EQ(fast.frequency[k], slow.frequency[k]);
        // A span's last lines lie in the edge of filters of other lengths.
        if (c.span == 0 || slow.frequency[k] < 0.98 * slow.frequency.back()) {
            worst = std::max(worst, std::abs(fast.amplitude[k] - slow.amplitude[k]));
        }
    }
    EXPECT_LT(worst, c.tolerance * top);
    // The 97 Hz modulation of the 3 kHz carrier is the envelope's line wherever the band
    // holds the carrier.
    if (c.band.low < 3000 && c.band.high > 3000) {
        const auto at = static_cast<std::size_t>(std::lround(97 / fast.resolution));
        EXPECT_GT(fast.amplitude[at], 0.5 * top);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Bands, EnvelopeRate,
    testing::Values(LongWayCase{120000, {2500, 3500}, false, 3200, 1e-9},     // decimated by 4
                    LongWayCase{120000, {2900, 3100}, true, 3200, 1e-6},      // by 16, pre-whitened
                    LongWayCase{120000, {1000, 4000}, false, 1600, 1e-6},     // by 2
                    LongWayCase{120000, {0, 6000}, false, 3200, 1e-6},        // whole band: by 1
                    LongWayCase{120000, {0, 6000}, true, 3200, 1e-6},         // pre-whitened
                    LongWayCase{120000, {2500, 3500}, false, 0, 1e-6},        // one segment
                    LongWayCase{120011, {2500, 3500}, false, 3200, 2e-3},     // prime: padded
                    LongWayCase{120000, {2500, 3500}, false, 400, 1e-3, 200}, // span 200 Hz
                    LongWayCase{120000, {2900, 3100}, false, 400, 1e-3, 100}, // by 23, then 2
                    LongWayCase{120000, {0, 6000}, true, 800, 1e-3, 500}));   // pre-whitened

// The real transform done as a complex one of half the length gives FFTW's own lines.
TEST(InPlaceTransform, GivesTheRealTransformsLines) {
    for (const std::size_t n : {2u, 4u, 6u, 10u, 64u, 198u, 1000u, 4096u, 30030u, 2880000u}) {
        const std::vector<double> x = noisyTones(n, static_cast<unsigned>(n));
        fft::Forward reference(n);
        std::copy(x.begin(), x.end(), reference.input());
        const fftw_complex* expected = reference.run();
        fft::InPlace buffer(n);
        std::copy(x.begin(), x.end(), buffer.samples());
        buffer.forward();
        const fftw_complex* got = buffer.lines();
        for (std::size_t k = 0; k <= n / 2; ++k) {
            EXPECT_NEAR(got[k][0], expected[k][0], 1e-9 * static_cast<double>(n)) << n << " " << k;
            EXPECT_NEAR(got[k][1], expected[k][1], 1e-9 * static_cast<double>(n)) << n << " " << k;
        }
    }
}

// Backward undoes forward, for the lengths forward takes: the record comes back.
TEST(InPlaceTransform, BackwardGivesTheSamplesBack) {
    for (const std::size_t n : {2u, 4u, 6u, 10u, 198u, 4096u, 30030u}) {
        const std::vector<double> x = noisyTones(n, static_cast<unsigned>(n) + 1);
        fft::InPlace buffer(n);
        std::copy(x.begin(), x.end(), buffer.samples());
        buffer.forward();
        buffer.backward(n);
        for (std::size_t i = 0; i < n; ++i) {
            ASSERT_NEAR(buffer.samples()[i], x[i], 1e-12 * static_cast<double>(n)) << n << " " << i;
        }
    }
}

bool smooth(std::size_t n) {
    for (const std::size_t p : {2u, 3u, 5u, 7u}) {
        while (n % p == 0) {
            n /= p;
        }
    }
    return n == 1;
}

// Long transforms take s² or 2·s², s even and 2-3-5-7-smooth, the least such at or above the
// length asked; short ones any smooth length.
TEST(LeanSize, IsTheLeastLeanLengthAtOrAbove) {
    for (const std::size_t n : {1u, 17u, 1000u, 121265u, 524287u}) {
        EXPECT_EQ(fft::leanSize(n), fft::goodSize(n)) << n;
    }
    for (const std::size_t n : {524288u, 1440000u, 1440001u, 2879999u, 14400000u, 28800000u}) {
        const std::size_t m = fft::leanSize(n);
        EXPECT_GE(m, n);
        EXPECT_LE(m, n + n / 20) << n; // at most about 5 % of padding
        std::size_t least = 0;
        for (std::size_t s = 2; 2 * s * s / 2 <= 2 * m; s += 2) {
            for (const std::size_t twice : {1u, 2u}) {
                const std::size_t c = twice * s * s;
                if (smooth(s) && c >= n && (least == 0 || c < least)) {
                    least = c;
                }
            }
        }
        EXPECT_EQ(m, least) << n;
        EXPECT_EQ(fft::goodEvenSize(2 * n) % 2, 0u);
    }
    // A short transform that a long one will be a multiple of takes the long rule: both
    // are lean.
    const std::size_t part = fft::leanSize(180001, 2880000);
    EXPECT_GE(part, 180001u);
    const std::size_t s = static_cast<std::size_t>(std::lround(std::sqrt(part))),
                      h = static_cast<std::size_t>(std::lround(std::sqrt(part / 2)));
    EXPECT_TRUE((s * s == part && s % 2 == 0 && smooth(s)) ||
                (2 * h * h == part && h % 2 == 0 && smooth(h)))
        << part;
}

TEST(BandLimitedSpectrum, RefusesAFactorTheSegmentDoesNotTake) {
    const std::vector<double> x(4096, 0.0);
    EXPECT_THROW(bandLimitedSpectrum(x, 1000, 3, {WindowKind::Hann, 400}), std::invalid_argument);
    EXPECT_THROW(bandLimitedSpectrum(x, 1000, 32, {WindowKind::Hann, 400}), std::invalid_argument);
    EXPECT_THROW(bandLimitedSpectrum(x, 1000, 2, {WindowKind::Hann, 0}), std::invalid_argument);
    EXPECT_EQ(bandLimitedSpectrum(x, 1000, 16, {WindowKind::Hann, 400}).amplitude.size(), 401u);
}

} // namespace
} // namespace orbistan

namespace orbistan {
namespace {

// The envelope drawn over the record follows the band's modulation sample by sample, and
// the band outside the record's lines is refused as the envelope spectrum's is.
TEST(EnvelopeSignal, FollowsTheBandsModulation) {
    const double rate = 12000;
    std::vector<double> x(24000);
    for (std::size_t i = 0; i < x.size(); ++i) {
        const double t = double(i) / rate;
        x[i] = (1 + 0.5 * std::cos(2 * std::numbers::pi * 10 * t)) *
                   std::sin(2 * std::numbers::pi * 3000 * t) +
               0.8 * std::sin(2 * std::numbers::pi * 200 * t); // outside the band
    }
    const std::vector<double> e = envelopeSignal(x, rate, {2500, 3500});
    ASSERT_EQ(e.size(), x.size());
    double worst = 0;
    for (std::size_t i = 2000; i < 22000; ++i) { // away from the record's ends
        const double t = double(i) / rate;
        worst =
            std::max(worst, std::abs(e[i] - (1 + 0.5 * std::cos(2 * std::numbers::pi * 10 * t))));
    }
    EXPECT_LT(worst, 0.01);
    EXPECT_THROW(envelopeSignal(x, rate, {2500, 7000}), SpectrumFileError);
}

} // namespace
} // namespace orbistan

namespace orbistan {
namespace {

// A band of the map read out as the analyst reads it: edges, centre and width in hertz, the
// measure to two decimals.
TEST(BandMapReadout, SaysTheBandsEdgesCentreWidthAndMeasure) {
    EXPECT_EQ(bandCellText({2000, 4000}, 12.3456),
              "Полоса 2000–4000 Гц · центр 3000 Гц · ширина 2000 Гц · эксцесс спектра "
              "огибающей 12,35");
    EXPECT_EQ(bandCellText({562.5, 750}, 3),
              "Полоса 562,5–750 Гц · центр 656,3 Гц · ширина 187,5 Гц · эксцесс спектра "
              "огибающей 3");
}

} // namespace
} // namespace orbistan
