#pragma once
// Opening a file as a spectrum, whatever it holds: a waveform in an audio format, whose
// spectrum is computed, or a text spectrum.

#include "spectrum/transform.h"
#include "spectrum/waveform.h"

#include <filesystem>
#include <optional>

namespace orbistan {

// Text spectra larger than this are refused: a million lines take about 30 MB.
inline constexpr std::size_t kTextSpectrumLimit = std::size_t(256) << 20;

struct OpenedSpectrum {
    Spectrum spectrum;
    std::optional<WaveformInfo> waveform; // set when the file was a waveform
};

// Throws SpectrumFileError or SpectrumCancelled.
OpenedSpectrum openSpectrumFile(const std::filesystem::path& path, int channel,
                                const TransformSettings& settings, const Progress& progress = {});

} // namespace orbistan
