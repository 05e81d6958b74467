// The spectral coherence and the enhanced envelope spectrum on signals whose answer is known:
// a fault's random impacts show at their rate (a rolling element's at 2·Fw with the cage's
// sidebands, and the cage's own rate), noise and the shaft's pure tones at none.
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/cyclic.h"
#include "spectrum/dsp/peaks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace orbistan {
namespace {

SynthSettings bearing(std::optional<FaultFamily> fault) {
    SynthSettings s;
    s.fault = fault;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.sampleRate = 12000;
    s.seconds = 10;
    s.noise = 0.5; // the impacts well under the noise: no line in the raw spectrum
    return s;
}

double median(std::vector<double> a) {
    std::nth_element(a.begin(), a.begin() + static_cast<std::ptrdiff_t>(a.size() / 2), a.end());
    return a[a.size() / 2];
}

TEST(Coherence, AFaultsImpactsStandOutAtTheirRate) {
    const struct {
        const char* name;
        std::optional<FaultFamily> fault;
        std::vector<double> lines; // the highest peaks' frequencies, none for no fault
    } cases[] = {
        {"outer", FaultFamily::Outer, {106.98}},
        {"ball", FaultFamily::Ball, {11.887, 139.05}},
        {"none", std::nullopt, {}},
    };
    for (const auto& c : cases) {
        const std::vector<double> x = synthesize(bearing(c.fault));
        const CoherenceMap map = spectralCoherence(x, 12000, 1000);
        EXPECT_NEAR(map.carrierStep, 93.75, 1e-9);
        EXPECT_NEAR(map.cyclicStep * (map.cyclics - 1), 1000, map.cyclicStep);
        const Spectrum ees = enhancedEnvelopeSpectrum(map);
        const double floor = median(ees.amplitude);
        const std::vector<Peak> peaks = findPeaks(ees, 10);
        std::vector<Peak> tall;
        std::copy_if(peaks.begin(), peaks.end(), std::back_inserter(tall),
                     [&](const Peak& p) { return p.amplitude > 50 * floor; });
        if (c.lines.empty()) {
            EXPECT_TRUE(tall.empty()) << c.name << ": " << tall.front().frequency;
            continue;
        }
        ASSERT_GE(tall.size(), c.lines.size()) << c.name;
        for (std::size_t i = 0; i < c.lines.size(); ++i) {
            EXPECT_TRUE(std::any_of(tall.begin(), tall.end(),
                                    [&](const Peak& p) {
                                        return std::abs(p.frequency - c.lines[i]) <
                                               0.02 * c.lines[i];
                                    }))
                << c.name << " " << c.lines[i];
        }
    }
}

// The band of carriers chosen: the coherence of the resonance's carriers alone shows the
// fault more clearly than that of all of them.
TEST(Coherence, TheResonancesCarriersShowItMoreClearly) {
    const CoherenceMap map = spectralCoherence(synthesize(bearing(FaultFamily::Outer)), 12000, 500);
    const auto clarity = [](const Spectrum& s) {
        const auto at =
            std::min_element(s.frequency.begin(), s.frequency.end(), [](double a, double b) {
                return std::abs(a - 106.98) < std::abs(b - 106.98);
            });
        return s.amplitude[static_cast<std::size_t>(at - s.frequency.begin())] /
               median(s.amplitude);
    };
    EXPECT_GT(clarity(enhancedEnvelopeSpectrum(map, {2500, 3500})),
              1.5 * clarity(enhancedEnvelopeSpectrum(map)));
}

TEST(Coherence, ARecordTooShortIsRefused) {
    EXPECT_THROW(spectralCoherence(std::vector<double>(100, 1.0), 12000, 500), SpectrumFileError);
    EXPECT_THROW(spectralCoherence(std::vector<double>(12000, 1.0), 12000, 7000),
                 SpectrumFileError);
}

} // namespace
} // namespace orbistan
