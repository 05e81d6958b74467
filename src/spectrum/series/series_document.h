#pragma once
// A series as the window holds it: its rows as they come, the baseline they are judged
// against (its first records, or those chosen), the alarm level at a chosen rise over it,
// the first record each family stays flagged from, and the record open.

#include "spectrum/series/series.h"
#include "spectrum/signal/vocabulary.h"

#include <optional>
#include <vector>

namespace orbistan {

// What the trend plots of a record: an overall level, or a family's line in dB above the
// floor (the families in their table's order).
enum class TrendMeasure { Rms, Peak, Crest, Kurtosis, ShaftSpeed, Outer, Inner, Ball, Cage };
inline constexpr Vocabulary<TrendMeasure, 9> kTrendMeasureTerms = {{
    {TrendMeasure::Rms, "rms", "СКЗ"},
    {TrendMeasure::Peak, "peak", "Пик"},
    {TrendMeasure::Crest, "crest", "Пик-фактор"},
    {TrendMeasure::Kurtosis, "kurtosis", "Эксцесс"},
    // The speed each record's families were judged at: a load that changes shows in it.
    {TrendMeasure::ShaftSpeed, "fr", "Fr, Гц"},
    {TrendMeasure::Outer, "outer", "Fo, дБ"},
    {TrendMeasure::Inner, "inner", "Fi, дБ"},
    {TrendMeasure::Ball, "ball", "2·Fw, дБ"},
    {TrendMeasure::Cage, "cage", "Fq, дБ"},
}};
inline constexpr std::size_t kLevelMeasures = 5; // the overall levels and Fr come first

// A family's line as a measure, and back.
TrendMeasure familyMeasure(FaultFamily f);
bool isFamilyMeasure(TrendMeasure m);

// The record's value of the measure; none for a record not read, and for a family whose
// line stands nowhere above the floor (or that was not judged), nor for the speed of a record
// not judged.
std::optional<double> measureOf(const SeriesRow& row, TrendMeasure m);

inline constexpr std::size_t kDefaultBaselineRecords = 5;
inline constexpr double kDefaultAlarmRise = 6; // dB: twice the baseline's amplitude
// Records in a row that a level or a verdict must hold for before it counts as appeared.
inline constexpr std::size_t kConfirmingRecords = 3;

// How the window's document judges a record, for every record of a series: its transform,
// band, whitening, slip and lines; the rate given for text records of the folder, and those
// assumed for files that state none. Levels alone without a bearing.
SeriesSettings seriesSettingsOf(const WorkbenchSettings& s,
                                const std::optional<WorkbenchBearing>& bearing,
                                const std::filesystem::path& folder);

class SeriesDocument {
public:
    void clear();
    // The next row, in time order.
    void add(SeriesRow row);
    const std::vector<SeriesRow>& rows() const { return rows_; }

    // The baseline: the first `count` records read, or the records chosen (indices into
    // rows; an empty choice goes back to the first records).
    void setBaselineFirst(std::size_t count);
    void setBaselineChosen(std::vector<std::size_t> chosen);
    std::size_t baselineFirst() const { return baselineFirst_; }
    // A record taken into the chosen baseline or out of it (the first one chosen starts the
    // choice; the last one out of it goes back to the first records).
    void chooseForBaseline(std::size_t index, bool in);
    bool baselineChosen() const { return !baselineChosen_.empty(); }
    bool inBaseline(std::size_t index) const;
    // The records it is made of, read ones only.
    std::vector<std::size_t> baseline() const;
    void setAlarmRise(double decibels) { alarmRise_ = decibels; }
    double alarmRise() const { return alarmRise_; }

    // The measure's mean over the baseline (dB for a family's line, a family's line
    // standing nowhere counted as 0 dB); none without a baseline record.
    std::optional<double> baselineLevel(TrendMeasure m) const;
    // The alarm level: the baseline risen by the alarm's dB (added for a family's line, as a
    // ratio of amplitudes for a level).
    std::optional<double> alarmLevel(TrendMeasure m) const;
    // The first record from which the measure stays above its alarm level for
    // kConfirmingRecords records; none where it never does.
    std::optional<std::size_t> firstAlarm(TrendMeasure m) const;
    // The first record from which the family is judged at least `least` for
    // kConfirmingRecords records.
    std::optional<std::size_t> firstFlagged(FaultFamily f, Verdict least) const;

    // The record open (none: none of the series'), and the next one either way; none past
    // either end.
    std::optional<std::size_t> current() const { return current_; }
    void setCurrent(std::optional<std::size_t> index);
    std::optional<std::size_t> step(int direction) const;

private:
    std::vector<SeriesRow> rows_;
    std::size_t baselineFirst_ = kDefaultBaselineRecords;
    std::vector<std::size_t> baselineChosen_;
    double alarmRise_ = kDefaultAlarmRise;
    std::optional<std::size_t> current_;
};

} // namespace orbistan
