#pragma once
// MATLAB files (version 4, 5 and 7.3) through matio: the numeric vectors they hold, and one
// of them read as a waveform. The public bearing dataset stores a record per variable
// (`X097_DE_time`, `X097_FE_time`) beside the shaft speed (`X097RPM`), without the sample
// rate, which its readme gives as 12 kHz.

#include "spectrum/signal/spectrum.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbistan {

struct MatVector {
    std::string name;
    std::size_t length = 0;
};

struct MatRecording {
    std::vector<double> samples;
    std::string variable;             // the one read
    std::optional<double> sampleRate; // from a scalar named fs, Fs, sr, …
    std::optional<double> shaftRpm;   // from a scalar whose name ends in RPM
};

// The rate assumed when the file names none: the bearing dataset's drive-end rate.
inline constexpr double kDefaultMatSampleRate = 12000;

// As long as the longest waveform of the other formats.
inline constexpr std::int64_t kMaxMatLength = std::int64_t(1) << 27;

// What a reading of a MATLAB file found: its numeric vectors, and the record read.
struct MatContents {
    std::vector<MatVector> vectors;
    std::optional<MatRecording> recording;
};

// Which variable to read, given the file's vectors: its name, or empty for the drive-end
// record (a name ending in "_DE_time") or else the longest vector; nullopt to read none.
using MatVariablePick =
    std::function<std::optional<std::string>(const std::vector<MatVector>& vectors)>;

// Empty when the file is not a MATLAB file at all (neither its header nor its name says so);
// throws SpectrumFileError naming the file (and the variable) when it says so but cannot be
// read. A version 7.3 file is read in a child process (HDF5 may crash or loop on a crafted
// one).
std::optional<MatContents> readMatContents(const std::filesystem::path& path,
                                           const MatVariablePick& pick,
                                           const Progress& progress = {});

// The vectors alone.
std::optional<std::vector<MatVector>> listMatVectors(const std::filesystem::path& path);

struct FileFormat;
// MATLAB files: a numeric vector each.
const FileFormat& matlabFormat();

} // namespace orbistan
