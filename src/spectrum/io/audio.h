#pragma once
// Time waveforms in the audio formats libsndfile reads (WAV, FLAC, AIFF, Ogg, …; integer
// samples of 8 to 32 bits and float samples), and the WAV that the synthetic signals are
// written as.

#include "spectrum/signal/waveform.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orbistan {

struct WaveformInfo {
    int channels = 0;
    double sampleRate = 0;
    std::int64_t frames = 0; // samples per channel
    std::string format;      // "WAV (Microsoft), Signed 16 bit PCM"
};

// Empty when the file is not in a format libsndfile recognises (a text spectrum, say).
// Throws SpectrumFileError for a file that cannot be opened at all or is malformed.
std::optional<WaveformInfo> probeWaveform(const std::filesystem::path& path);

// Reads channel `channel` (0-based). Throws SpectrumFileError naming the sample where
// reading failed, or SpectrumCancelled.
Waveform readWaveform(const std::filesystem::path& path, int channel,
                      const Progress& progress = {});

struct FileFormat;
// Audio files through libsndfile: a channel each.
const FileFormat& audioFormat();

// The samples as a one-channel sound file of libsndfile's `format` (by default a WAV of
// 32-bit floats), ready to be written whole.
std::string encodeWav(const std::vector<double>& samples, int sampleRate, int format = 0);

} // namespace orbistan
