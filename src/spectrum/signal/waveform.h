#pragma once
// A recording: one channel of samples at a sample rate, whatever file it came from.

#include "spectrum/signal/spectrum.h"

#include <cstdint>
#include <vector>

namespace orbistan {

struct Waveform {
    std::vector<double> samples; // one channel, full scale ±1 for integer formats
    double sampleRate = 0;
    int channels = 0;       // in the file
    Units units;            // the samples' quantity and unit, where the file states them
    bool rateStated = true; // false: the file names no rate, sampleRate is assumed
};

// Longer records are refused rather than filling the memory: over half an hour at 48 kHz.
inline constexpr std::int64_t kMaxWaveformFrames = std::int64_t(1) << 27;

} // namespace orbistan
