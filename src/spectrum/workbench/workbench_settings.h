#pragma once
// What the spectrum window remembers between runs, in a small file of its own beside the
// calculator's settings: "key=value" lines, UTF-8. A value that does not read keeps its
// default, so that a damaged or older file never stops the window.

#include "spectrum/analysis/shaft_speed.h"
#include "spectrum/dsp/transform.h"
#include "spectrum/signal/vocabulary.h"

#include <array>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

inline constexpr const char* kWorkbenchSettingsFileName = "Spectrum.ini";

// The marker families in the order they are listed: Fo, Fi, Fw, 2·Fw, Fq, Fr.
inline constexpr int kMarkerFamilyCount = 6;
inline constexpr int kMaxMarkerHarmonics = 20;
inline constexpr int kMaxSidebands = 5;
inline constexpr int kMaxPeakRows = 200;
inline constexpr double kMaxSlipPercent = 20;
inline constexpr double kDefaultVelocityLowCut = 10;
inline constexpr double kMaxVelocityLowCut = 1000;

// Where the legend and the diagnosis stand: over the plot's corner, in a column beside it
// (the plot narrows), or not at all.
enum class PanelPlace { OnPlot, Beside, Hidden };
inline constexpr Vocabulary<PanelPlace, 3> kPanelTerms = {{
    {PanelPlace::OnPlot, "plot", "На графике"},
    {PanelPlace::Beside, "beside", "Сбоку от графика"},
    {PanelPlace::Hidden, "hidden", "Скрыть"},
}};
inline constexpr int kMaxPeakLabels = 50;

// Where the analyst left the window: restored when it opens and for the first file shown
// after a start, so that a session goes on where it stopped.
struct WorkbenchSession {
    std::optional<std::array<int, 4>> place;   // the window's x, y, width, height
    std::optional<std::array<double, 2>> view; // the frequency axis shown, Hz
    std::optional<std::array<double, 2>> band; // the envelope's band as typed, Hz
    bool envelope = false;                     // the envelope spectrum was shown
    bool operator==(const WorkbenchSession&) const = default;
};

// Where a bearing is measured, as the report names it: typed once, remembered with the
// bearing's number.
struct MeasurementPlace {
    std::string machine;
    std::string point;
    bool operator==(const MeasurementPlace&) const = default;
};

struct WorkbenchSettings {
    std::string folder; // of the file opened last
    std::array<bool, kMarkerFamilyCount> families{true, true, true, true, true, true};
    int harmonics = 5; // 1 … kMaxMarkerHarmonics
    int sidebands = 1; // 0 … kMaxSidebands on either side
    TransformSettings transform;
    int peaks = 20; // rows of the peak table, 1 … kMaxPeakRows
    // The unit stated for files of a format (by its key) that name none.
    std::map<std::string, Unit> statedUnits;
    // The sample rate last given for a file of a format that states none, Hz: offered, as
    // assumed, for the next such file.
    std::map<std::string, double> statedRates;
    // The sample rate given for a file that states none, by its path: that file's own.
    std::map<std::string, double> fileRates;
    // The sample rate given for a text record, by its folder: a series of records in one
    // folder is measured at one rate, given once.
    std::map<std::string, double> folderRates;
    bool whiten = false; // the envelope of the pre-whitened record
    // How the diagnosis makes its envelope where neither a band nor whitening is asked for.
    EnvelopeMethod method = EnvelopeMethod::Best;
    // The band the diagnosis is made in (none: chosen) and its envelope's lines (none: chosen
    // for the record's rate; 0: all), as the command line's --band and --lines give them.
    std::optional<std::array<double, 2>> diagnosisBand;
    std::optional<int> diagnosisLines;
    // The envelope spectrum shown: its own lines (none: as the diagnosis chooses them; 0: all)
    // and highest frequency (0: as far as the band's envelope reaches), Hz. The diagnosis is
    // made at its own resolution whatever is shown, as its verdicts were tuned.
    std::optional<int> envelopeLines;
    double envelopeSpan = 0;
    double slipPercent = 2; // how far a family's fundamental is looked for
    SpeedSearch speed;      // how far from Fr the running speed is looked for, or not at all
    AmplitudeScale amplitudeScale = AmplitudeScale::Linear; // of the value axis
    double velocityLowCut = kDefaultVelocityLowCut; // Hz: velocity's lines below it are nothing
    bool velocity = false; // acceleration shown as velocity, where it can be
    int peakLabels = 5;    // the highest peaks written with their frequency, 0 … kMaxPeakLabels
    PanelPlace panels = PanelPlace::OnPlot;
    WorkbenchSession session;
    // By bearing number; names with neither tabs nor line ends (they are made blanks).
    std::map<std::string, MeasurementPlace> places;

    bool operator==(const WorkbenchSettings&) const = default;
};

// The place remembered for a bearing number, its names with tabs and line ends made blanks
// and their ends trimmed; nothing is remembered for a bearing without a number, and a place
// of no names forgets it. True when the settings changed.
bool rememberPlace(WorkbenchSettings& s, const std::string& bearingNumber, MeasurementPlace place);

// The place remembered for a bearing number (trimmed as it is remembered); none: no names.
MeasurementPlace placeFor(const WorkbenchSettings& s, const std::string& bearingNumber);

std::string formatWorkbenchSettings(const WorkbenchSettings& s);
WorkbenchSettings parseWorkbenchSettings(std::string_view text);

// The defaults when the file is missing or cannot be read.
WorkbenchSettings loadWorkbenchSettings(const std::filesystem::path& programDir);
// 0, or the run-time error code; the old file survives a failure.
int saveWorkbenchSettings(const std::filesystem::path& programDir, const WorkbenchSettings& s);

} // namespace orbistan
