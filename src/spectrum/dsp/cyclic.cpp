#include "spectrum/dsp/cyclic.h"

#include "spectrum/dsp/fft.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace orbistan {

namespace {

// The carriers' spacing the window gives: fine enough to part a resonance from its
// neighbours, coarse enough that many frames are averaged.
constexpr double kCarrierSpacing = 100;

std::size_t windowLength(double sampleRate) {
    std::size_t n = 16;
    while (static_cast<double>(2 * n) <= sampleRate / kCarrierSpacing * 1.5) {
        n *= 2;
    }
    return n;
}

std::vector<double> hann(std::size_t n) {
    std::vector<double> w(n);
    for (std::size_t i = 0; i < n; ++i) {
        w[i] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * static_cast<double>(i) /
                                    static_cast<double>(n));
    }
    return w;
}

// Each carrier's squared magnitude, frame after frame: powers[c * frames + n].
std::vector<float> framePowers(std::span<const double> x, std::size_t length, std::size_t hop,
                               std::size_t frames, const Progress& progress) {
    const std::size_t carriers = length / 2 + 1;
    std::vector<float> powers(carriers * frames);
    const std::vector<double> window = hann(length);
    fft::Forward transform(length);
    for (std::size_t n = 0; n < frames; ++n) {
        if (n % 4096 == 0) {
            progress.step(0.5 * static_cast<double>(n) / static_cast<double>(frames));
        }
        double* in = transform.input();
        for (std::size_t i = 0; i < length; ++i) {
            in[i] = x[n * hop + i] * window[i];
        }
        const fftw_complex* lines = transform.run();
        for (std::size_t c = 0; c < carriers; ++c) {
            powers[c * frames + n] =
                static_cast<float>(lines[c][0] * lines[c][0] + lines[c][1] * lines[c][1]);
        }
    }
    return powers;
}

// One carrier's coherence at each cyclic frequency: its powers' transform across the frames,
// their mean taken out and the rest padded with zeros (so that the power itself leaks into no
// cyclic frequency), over their sum. Zeros for a carrier that holds nothing.
void carrierCoherence(std::span<const float> powers, fft::Forward& across, std::size_t padded,
                      std::span<float> coherence) {
    double power = 0;
    for (const float p : powers) {
        power += p;
    }
    if (!(power > 0)) {
        return;
    }
    const double mean = power / static_cast<double>(powers.size());
    double* in = across.input();
    for (std::size_t n = 0; n < padded; ++n) {
        in[n] = n < powers.size() ? powers[n] - mean : 0;
    }
    const fftw_complex* cyclic = across.run();
    coherence[0] = 1;
    for (std::size_t k = 1; k < coherence.size(); ++k) {
        coherence[k] = static_cast<float>(std::hypot(cyclic[k][0], cyclic[k][1]) / power);
    }
}

} // namespace

CoherenceMap spectralCoherence(std::span<const double> samples, double sampleRate, double cyclicTop,
                               const Progress& progress) {
    const std::size_t length = windowLength(sampleRate);
    // The frames' rate reaches twice the top; never more than a quarter window apart.
    const auto hop = std::clamp<std::size_t>(
        static_cast<std::size_t>(std::floor(sampleRate / (2 * cyclicTop))), 1, length / 4);
    if (!(cyclicTop > 0) || cyclicTop > sampleRate / 2 || samples.size() < length + 2 * hop) {
        throw SpectrumFileError({ProblemKind::Unsuited, "", "",
                                 "запись слишком коротка для циклической когерентности"});
    }
    const std::size_t frames = (samples.size() - length) / hop + 1;
    const double frameRate = sampleRate / static_cast<double>(hop);
    CoherenceMap map;
    map.carriers = length / 2 + 1;
    map.carrierStep = sampleRate / static_cast<double>(length);
    // Across the frames, a length FFTW transforms fast.
    const std::size_t padded = fft::goodSize(frames);
    map.cyclicStep = frameRate / static_cast<double>(padded);
    map.cyclics = std::min(padded / 2 + 1,
                           static_cast<std::size_t>(std::floor(cyclicTop / map.cyclicStep)) + 1);
    requireMemory(8.0 * static_cast<double>(map.carriers * frames) +
                  4.0 * static_cast<double>(map.carriers * map.cyclics));
    const std::vector<float> powers = framePowers(samples, length, hop, frames, progress);
    map.coherence.assign(map.carriers * map.cyclics, 0.0F);
    fft::Forward across(padded);
    for (std::size_t c = 0; c < map.carriers; ++c) {
        progress.step(0.5 + 0.5 * static_cast<double>(c) / static_cast<double>(map.carriers));
        carrierCoherence(std::span(powers).subspan(c * frames, frames), across, padded,
                         std::span(map.coherence).subspan(c * map.cyclics, map.cyclics));
    }
    return map;
}

Spectrum enhancedEnvelopeSpectrum(const CoherenceMap& map, Band carriers) {
    Spectrum s;
    s.resolution = map.cyclicStep;
    s.units.label = "Когерентность";
    std::size_t from = 0, to = map.carriers;
    if (carriers.high > carriers.low) {
        from = static_cast<std::size_t>(std::ceil(carriers.low / map.carrierStep));
        to = std::min(map.carriers,
                      static_cast<std::size_t>(std::floor(carriers.high / map.carrierStep)) + 1);
    }
    // The lowest and highest carriers hold the record's offset and what the anti-alias filter
    // left: they say nothing of the machine.
    from = std::max<std::size_t>(from, 1);
    to = std::min(to, map.carriers - 1);
    for (std::size_t k = 1; k < map.cyclics; ++k) {
        double sum = 0;
        for (std::size_t c = from; c < to; ++c) {
            sum += map.at(c, k);
        }
        s.frequency.push_back(static_cast<double>(k) * map.cyclicStep);
        s.amplitude.push_back(to > from ? sum / static_cast<double>(to - from) : 0);
    }
    return s;
}

} // namespace orbistan
