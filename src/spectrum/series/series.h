#pragma once
// A series: the records of one measuring point over time, each read, measured (its overall
// levels) and judged for the bearing (each family's line in the envelope spectrum and its
// verdict) as `diagnose` judges one record. The records are worked on by every core and
// handed on in time order as they are done, so that nothing grows with their number; a
// record that cannot be read is a row that says why.

#include "spectrum/dsp/extremes.h"
#include "spectrum/series/record_time.h"
#include "spectrum/workbench/workbench.h"

#include <array>
#include <cmath>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace orbistan {

// How every record of the series is read and judged: as one record is by `diagnose`.
struct SeriesSettings {
    SourceChoice source;
    TransformSettings transform;
    SearchBases bases;
    std::optional<Band> band; // none: chosen for each record
    bool whiten = false;
    EnvelopeMethod method = EnvelopeMethod::Best;
    double slipPercent = kDefaultSlipPercent;
    SpeedSearch speed;        // each record's running speed found near bases.Fr, as `diagnose` does
    std::optional<int> lines; // the envelope's; none: chosen for the record's rate
    bool judge = true;        // false: no bearing to judge by, the levels alone
    // Each record's spectrum and envelope spectrum kept coarse, for a waterfall.
    bool profiles = false;
};

// A spectrum kept coarse: the highest line within each of `bins` equal bins over [0, top)
// (the line nearest a bin's middle where no line falls in it); zeros beyond the spectrum.
struct Profile {
    double top = 0; // Hz
    std::vector<float> amplitude;
};
inline constexpr std::size_t kProfileBins = 800;
Profile profileOf(const Spectrum& s, double top, std::size_t bins = kProfileBins);

struct SeriesEntry {
    std::filesystem::path path;
    RecordTime time;
};

// A family's line in a record's envelope spectrum: where its fundamental stands (as found,
// else the strongest line within the slip of where the kinematics put it) and how far above
// the floor there; none where no line stands there at all.
struct FamilyLevel {
    FaultFamily family = FaultFamily::Outer;
    std::optional<double> decibels;
    double frequency = 0;
    Verdict verdict = Verdict::None;
};

inline constexpr std::size_t kTrendFamilies = 4; // in the order of the families' table

struct SeriesRow {
    SeriesEntry entry;
    std::optional<Levels> levels; // none: the record was not read
    std::array<FamilyLevel, kTrendFamilies> families{};
    Band band;        // the envelope's
    ShaftSpeed speed; // the record's, its families judged at it
    // That made the envelope judged: Whitened for the pre-whitened record's.
    EnvelopeMethod method = EnvelopeMethod::BandMap;
    double sampleRate = 0;
    bool rateAssumed = false; // the file states none and none was given
    std::string problem;      // why the record was not read or judged
    // With SeriesSettings::profiles: the record's spectrum over its whole span, and its
    // envelope spectrum over the families' harmonics.
    Profile spectrum, envelope;
};

// The records of a series: each file named, and the files of each folder named (not its
// subfolders, nor hidden files), in time order; records of one time in their names' order.
// Throws SpectrumFileError for a name that is neither file nor folder.
std::vector<SeriesEntry> seriesEntries(const std::vector<std::filesystem::path>& named);

// One record read, measured and judged. Never throws for the file: its problem is the
// row's; a cancel is thrown.
SeriesRow trendRow(const SeriesEntry& entry, const SeriesSettings& settings,
                   const Progress& progress = {});

// Every record on `threads` threads (0: every core), each row handed to `take` in the
// entries' order on the calling thread as soon as it and all before it are done; progress
// is the share of rows handed on. Throws SpectrumCancelled when cancelled (the rows handed
// on stay handed on).
void runSeries(const std::vector<SeriesEntry>& entries, const SeriesSettings& settings,
               const std::function<void(SeriesRow&&)>& take, const Progress& progress = {},
               unsigned threads = 0);

// The first record (an index into rows) from which the family is judged at least `least`
// on `confirm` records in a row: a fault that has appeared stays; a single record's verdict
// may be chance. None where it never is.
std::optional<std::size_t> firstFlagged(const std::vector<SeriesRow>& rows, FaultFamily family,
                                        Verdict least = Verdict::Weak, std::size_t confirm = 3);

// The trend as a table: its header, and each row's line (tab-separated, numbers in the
// program's text form, a line end after each).
std::string trendHeader();
std::string trendLine(const SeriesRow& row);

} // namespace orbistan
