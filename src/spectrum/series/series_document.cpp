#include "spectrum/series/series_document.h"

#include <algorithm>
#include <cmath>

namespace orbistan {

TrendMeasure familyMeasure(FaultFamily f) {
    return static_cast<TrendMeasure>(kLevelMeasures + static_cast<std::size_t>(f));
}

bool isFamilyMeasure(TrendMeasure m) {
    return static_cast<std::size_t>(m) >= kLevelMeasures;
}

std::optional<double> measureOf(const SeriesRow& row, TrendMeasure m) {
    if (!row.levels) {
        return std::nullopt;
    }
    switch (m) {
    case TrendMeasure::Rms:
        return row.levels->rms;
    case TrendMeasure::Peak:
        return row.levels->peak;
    case TrendMeasure::Crest:
        return row.levels->crest;
    case TrendMeasure::Kurtosis:
        return row.levels->kurtosis;
    default:
        break;
    }
    if (!row.problem.empty()) {
        return std::nullopt; // read, but not judged
    }
    if (m == TrendMeasure::ShaftSpeed) {
        return row.speed.hz > 0 ? std::optional(row.speed.hz) : std::nullopt;
    }
    return row.families.at(static_cast<std::size_t>(m) - kLevelMeasures).decibels;
}

SeriesSettings seriesSettingsOf(const WorkbenchSettings& s,
                                const std::optional<WorkbenchBearing>& bearing,
                                const std::filesystem::path& folder) {
    SeriesSettings series;
    series.transform = diagnosisTransform(s.transform);
    series.source.assumedRates = s.statedRates;
    if (const auto rate = s.folderRates.find(folder.string()); rate != s.folderRates.end()) {
        series.source.folderRate = rate->second;
    }
    if (s.diagnosisBand) {
        series.band = Band{(*s.diagnosisBand)[0], (*s.diagnosisBand)[1]};
    }
    series.whiten = s.whiten;
    series.method = s.method;
    series.slipPercent = s.slipPercent;
    series.speed = s.speed;
    series.lines = s.diagnosisLines;
    series.judge = bearing.has_value();
    series.profiles = true; // the window draws the series' waterfall
    if (bearing) {
        series.bases = bearing->bases;
    }
    return series;
}

void SeriesDocument::clear() {
    rows_.clear();
    baselineChosen_.clear();
    current_.reset();
}

void SeriesDocument::add(SeriesRow row) {
    rows_.push_back(std::move(row));
}

void SeriesDocument::setBaselineFirst(std::size_t count) {
    baselineFirst_ = std::max<std::size_t>(1, count);
    baselineChosen_.clear();
}

void SeriesDocument::setBaselineChosen(std::vector<std::size_t> chosen) {
    std::sort(chosen.begin(), chosen.end());
    chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    baselineChosen_ = std::move(chosen);
}

void SeriesDocument::chooseForBaseline(std::size_t index, bool in) {
    std::vector<std::size_t> chosen = baselineChosen_;
    if (in) {
        chosen.push_back(index);
    } else {
        chosen.erase(std::remove(chosen.begin(), chosen.end(), index), chosen.end());
    }
    setBaselineChosen(std::move(chosen));
}

bool SeriesDocument::inBaseline(std::size_t index) const {
    const std::vector<std::size_t> records = baseline();
    return std::binary_search(records.begin(), records.end(), index);
}

std::vector<std::size_t> SeriesDocument::baseline() const {
    std::vector<std::size_t> records;
    if (!baselineChosen_.empty()) {
        for (const std::size_t i : baselineChosen_) {
            if (i < rows_.size() && rows_[i].levels) {
                records.push_back(i);
            }
        }
        return records;
    }
    for (std::size_t i = 0; i < rows_.size() && records.size() < baselineFirst_; ++i) {
        if (rows_[i].levels) {
            records.push_back(i);
        }
    }
    return records;
}

std::optional<double> SeriesDocument::baselineLevel(TrendMeasure m) const {
    double sum = 0;
    std::size_t count = 0;
    for (const std::size_t i : baseline()) {
        const std::optional<double> v = measureOf(rows_[i], m);
        if (v || (isFamilyMeasure(m) && rows_[i].problem.empty())) {
            sum += v.value_or(0);
            ++count;
        }
    }
    return count > 0 ? std::optional(sum / static_cast<double>(count)) : std::nullopt;
}

std::optional<double> SeriesDocument::alarmLevel(TrendMeasure m) const {
    const std::optional<double> base = baselineLevel(m);
    if (!base || m == TrendMeasure::ShaftSpeed) {
        return std::nullopt; // the speed changes with the load, not with a fault
    }
    return isFamilyMeasure(m) ? *base + alarmRise_ : *base * std::pow(10, alarmRise_ / 20);
}

namespace {

// The first index of a run of kConfirmingRecords records that pass.
template <typename Passes>
std::optional<std::size_t> firstRun(const std::vector<SeriesRow>& rows, Passes passes) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < rows.size(); ++i) {
        run = passes(rows[i]) ? run + 1 : 0;
        if (run >= kConfirmingRecords) {
            return i + 1 - run;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::size_t> SeriesDocument::firstAlarm(TrendMeasure m) const {
    const std::optional<double> alarm = alarmLevel(m);
    if (!alarm) {
        return std::nullopt;
    }
    return firstRun(rows_, [&](const SeriesRow& r) {
        const std::optional<double> v = measureOf(r, m);
        return v && *v > *alarm;
    });
}

std::optional<std::size_t> SeriesDocument::firstFlagged(FaultFamily f, Verdict least) const {
    return orbistan::firstFlagged(rows_, f, least, kConfirmingRecords);
}

void SeriesDocument::setCurrent(std::optional<std::size_t> index) {
    current_ = index && *index < rows_.size() ? index : std::nullopt;
}

std::optional<std::size_t> SeriesDocument::step(int direction) const {
    if (rows_.empty()) {
        return std::nullopt;
    }
    if (!current_) {
        return direction >= 0 ? std::size_t{0} : rows_.size() - 1;
    }
    if ((direction < 0 && *current_ == 0) || (direction > 0 && *current_ + 1 >= rows_.size())) {
        return std::nullopt;
    }
    return direction < 0 ? *current_ - 1 : *current_ + 1;
}

} // namespace orbistan
