#pragma once
// What every spectrum file format is to the rest of the program: a name, the extensions its
// files carry, a rule that recognises its first bytes, and a reader that returns either a
// recording or a spectrum together with the named sources (channels, datasets, variables)
// the file offers. Each format is one file with one such entry; formats.h lists them.

#include "spectrum/signal/spectrum.h"
#include "spectrum/signal/vocabulary.h"
#include "spectrum/signal/waveform.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

// Which part of a file to read: the index among the sources the file offers (none: the
// format's own default), or a MATLAB variable by name, which wins over the index; and the
// sample rate of a recording, when the user gives it (it wins over the file's).
struct SourceChoice {
    SourceChoice() = default;
    SourceChoice(int index, std::string variable = {}) // NOLINT: an index alone is a choice
        : index(index), variable(std::move(variable)) {}
    std::optional<int> index;
    std::string variable;
    std::optional<double> rate;
    // The rate of a recording whose file states none, by the format's key, when the user
    // gave one for such files; else the format's own assumption.
    std::map<std::string, double> assumedRates;
    // The rate of a text record that states none, given for the folder it lies in: taken as
    // given, not assumed.
    std::optional<double> folderRate;
    TextLayout textLayout = TextLayout::Auto; // how a text file's columns are read
    bool operator==(const SourceChoice&) const = default;
};

// What the sources of a file are, for the chooser's caption.
enum class SourceKind { None, Channel, Dataset, Variable };

struct FileContents {
    std::string format;               // the key of the format that read it: "audio"
    std::optional<Waveform> record;   // when the file holds a recording
    std::optional<Spectrum> spectrum; // when it holds a spectrum, or once the record is transformed
    SourceKind sourceKind = SourceKind::None;
    std::vector<std::string> sources; // what the file offers to choose from
    int source = 0;                   // the one read, an index into sources
    std::optional<double> shaftRpm;   // as the file states it
    std::optional<double> statedRate; // a recording's sample rate as the file states it
    std::string description; // "WAV (Microsoft), Signed 16 bit PCM", "MATLAB, X097_DE_time"
    // How a file that could be read two ways was read, and how to read it the other: said to
    // the user, never a silent guess.
    std::string readAs;
    bool rateGiven = false; // the record's rate is the one given for its folder
};

struct FileFormat {
    std::string key;                     // "audio": how settings and messages refer to it
    std::string name;                    // "Звуковые записи": the file dialog's line
    std::vector<std::string> extensions; // lower case, without the dot
    // Whether a file is this format's, from its first bytes (and, where the bytes say too
    // little, its name).
    bool (*sniff)(std::string_view head, const std::filesystem::path& path);
    FileContents (*read)(const std::filesystem::path& path, const SourceChoice& choice,
                         const Progress& progress);
};

// How many first bytes the sniffing rules see.
inline constexpr std::size_t kSniffBytes = 512;

// Whether the file's extension is one of these (lower-case, no dot).
bool hasExtension(const std::filesystem::path& path, const std::vector<std::string>& extensions);

// Text and universal files larger than this are refused: a million lines take about 30 MB.
inline constexpr std::size_t kTextFileLimit = std::size_t(256) << 20;

// The whole of a text file, refused past kTextFileLimit; the message names the file.
std::string readTextFileBytes(const std::filesystem::path& path);

// The index the choice names among `count` sources, `fallback` when it names none; throws
// SpectrumFileError naming the file when it names one that is not there.
int chosenIndex(const SourceChoice& choice, int count, int fallback, const std::string& fileName,
                const std::string& what);

} // namespace orbistan
