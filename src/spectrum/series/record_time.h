#pragma once
// When a record of a series was measured: from a date and time in its file's name (the
// data collectors' and the run-to-failure tests' way: 2004.02.12.10.32.39,
// 20040212_103239), else from one stored at the head of the file (a MATLAB file's «Created
// on», a universal file's or a text header's date, a WAV's broadcast extension), else the
// file's modification time. Times are the clock's reading where the record was made, as
// seconds from 1970-01-01 00:00 of that clock: no time zone is guessed.

#include "spectrum/signal/vocabulary.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

enum class TimeSource { Name, File, Modified };
inline constexpr Vocabulary<TimeSource, 3> kTimeSourceTerms = {{
    {TimeSource::Name, "name", "по имени файла"},
    {TimeSource::File, "file", "записано в файле"},
    {TimeSource::Modified, "mtime", "время изменения файла"},
}};

struct RecordTime {
    std::int64_t seconds = 0;
    TimeSource source = TimeSource::Modified;
    bool operator==(const RecordTime&) const = default;
};

// The first date and time in a file name that is a real one; none without one.
std::optional<std::int64_t> timeInName(std::string_view name);
// The first date and time written at the head of a file (its first bytes, as read); none
// without one.
std::optional<std::int64_t> timeInHead(std::string_view head);
// The record's time by the rule above; the modification time of a file that cannot be read
// (its row will say why), 0 where even that is not known.
RecordTime recordTime(const std::filesystem::path& path);

// "2004-02-12 10:32:39".
std::string timeText(std::int64_t seconds);

// Whether a goes before b as people number files: "2.csv" before "10.csv".
bool naturalLess(std::string_view a, std::string_view b);

} // namespace orbistan
