#pragma once
// Opening a file as a spectrum, whatever it holds: a waveform (an audio format, a MATLAB
// vector, a universal file's time response), whose spectrum is computed, or a spectrum (a
// text export, a universal file's spectrum).

#include "spectrum/transform.h"
#include "spectrum/waveform.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace orbistan {

// Text and universal files larger than this are refused: a million lines take about 30 MB.
inline constexpr std::size_t kTextSpectrumLimit = std::size_t(256) << 20;

// Which part of a file to read: an audio file's channel or a universal file's dataset
// (0-based), a MATLAB file's variable (empty: the drive-end record or the longest vector).
struct SourceChoice {
    SourceChoice(int channel = 0, std::string variable = {}) // NOLINT: a channel alone is a choice
        : channel(channel), variable(std::move(variable)) {}
    int channel;
    std::string variable;
};

struct Recording {
    Waveform waveform;
    WaveformInfo info;                  // channels: the choices the file offers
    std::optional<double> shaftRpm;     // a MATLAB file's RPM variable
    std::vector<std::string> variables; // a MATLAB file's numeric vectors
    std::string variable;               // the one read
};

// The waveform of the file, or empty when the file holds a spectrum. Throws
// SpectrumFileError or SpectrumCancelled.
std::optional<Recording> readRecording(const std::filesystem::path& path,
                                       const SourceChoice& choice, const Progress& progress = {});

struct OpenedSpectrum {
    Spectrum spectrum;
    std::optional<WaveformInfo> waveform; // set when the file was a waveform
    std::optional<double> shaftRpm;
    std::vector<std::string> variables;
    std::string variable;
    std::optional<Waveform> record; // the waveform itself, kept for its envelope
};

OpenedSpectrum openSpectrumFile(const std::filesystem::path& path, const SourceChoice& choice,
                                const TransformSettings& settings, const Progress& progress = {});

} // namespace orbistan
