// The verdicts' thresholds hold whatever the spectrum: over 200 signals without a fault
// (noise alone, and shaft vibration in noise), at every number of lines and the whole
// record, with each window, nothing is strong and at most 1 % of the spectra show a family
// as weak.
#include "spectrum/diagnosis/evidence.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/transform.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

constexpr int kSignals = 200;

SynthSettings faultless(int seed) {
    SynthSettings s;
    s.fault = std::nullopt;
    s.Fr = seed % 2 == 0 ? 29.95 : 0; // shaft vibration, or noise alone
    s.noise = 0.3;
    s.seconds = 65536.0 / s.sampleRate; // enough for 25 600 lines
    s.seed = static_cast<std::uint64_t>(seed);
    return s;
}

class Calibration : public testing::TestWithParam<WindowKind> {};

TEST_P(Calibration, NoiseGivesNoStrongAndRarelyWeakEvidence) {
    const SearchBases bearing{106.979844155844, 162.570155844156, 69.5234251692891,
                              11.8866493506493, 29.95};
    int spectra = 0, weak = 0;
    std::string examples;
    for (int seed = 1; seed <= kSignals; ++seed) {
        const SynthSettings s = faultless(seed);
        const std::vector<double> x = synthesize(s);
        std::vector<int> lines(kLineChoices.begin(), kLineChoices.end());
        lines.push_back(0);
        for (int n : lines) {
            const Spectrum sp = amplitudeSpectrum(x, s.sampleRate, {GetParam(), n, Scaling::Peak});
            ++spectra;
            for (const FamilyEvidence& e : rankEvidence(sp, bearing)) {
                ASSERT_NE(e.verdict, Verdict::Strong)
                    << "seed " << seed << ", " << n << " lines: " << describeEvidence(e);
                if (e.verdict == Verdict::Weak) {
                    ++weak;
                    examples += "\n  seed " + std::to_string(seed) + ", " + std::to_string(n) +
                                " lines: " + describeEvidence(e);
                    break;
                }
            }
        }
    }
    EXPECT_EQ(spectra, kSignals * 8);
    EXPECT_LE(weak, spectra / 100) << examples;
}

INSTANTIATE_TEST_SUITE_P(Windows, Calibration,
                         testing::Values(WindowKind::Hann, WindowKind::FlatTop, WindowKind::Rect),
                         [](const testing::TestParamInfo<WindowKind>& i) {
                             return std::string(i.param == WindowKind::Hann      ? "Hann"
                                                : i.param == WindowKind::FlatTop ? "FlatTop"
                                                                                 : "Rect");
                         });

} // namespace
} // namespace orbistan
