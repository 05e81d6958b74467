#pragma once
// Text files as data collectors, analysers and the public bearing data sets write them:
// columns of numbers separated by tabs, semicolons, commas or blanks, with a decimal point
// or a decimal comma, header lines before the numbers, comment and blank lines anywhere.
// They hold either a spectrum (frequency, amplitude; further columns such as a phase are
// ignored) or a recording (each column a channel, or time in seconds first and the channels
// after it). Which, is told by one rule (tellLayout), and said where the file could be read
// either way.

#include "spectrum/signal/spectrum.h"
#include "spectrum/signal/vocabulary.h"
#include "spectrum/signal/waveform.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

// The rate of a text record that states none, when nothing was given for it: the same as
// for MATLAB files, and said to be assumed wherever it is used.
inline constexpr double kDefaultTextSampleRate = 12000;

struct TextContents {
    TextLayout layout = TextLayout::Spectrum; // as read: never Auto
    std::optional<Spectrum> spectrum;
    std::optional<Waveform> record;   // rateStated when its time column gave the rate
    std::vector<std::string> columns; // a record's channels, by caption or number
    int channel = 0;                  // the one read, an index into columns
    // How a file that could also be a record with its time first was read, for the user; the
    // way to read it so is the caller's to say.
    std::string readAs;
};

// `name` is how messages name the file; `channel` the record's channel to read (none: the
// first). Throws SpectrumFileError for anything that is none of these: the message says
// which line failed and why.
TextContents readTextFile(std::string_view bytes, const std::string& name,
                          TextLayout layout = TextLayout::Auto,
                          std::optional<int> channel = std::nullopt, const Progress& progress = {});

// A text file read as a spectrum, as before records were read from text.
Spectrum readTextSpectrum(std::string_view bytes, const std::string& name,
                          const Progress& progress = {});

struct FileFormat;
// Text files: the format every file no other format claims is tried as.
const FileFormat& textFileFormat();

} // namespace orbistan
