#include "spectrum/series/record_time.h"

#include <array>
#include <cctype>
#include <chrono>
#include <ctime>
#include <fstream>
#include <regex>

namespace orbistan {

namespace {

constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

int monthOf(std::string name) {
    for (char& c : name) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (std::size_t i = 0; i < kMonths.size(); ++i) {
        if (name == kMonths[i]) {
            return static_cast<int>(i) + 1;
        }
    }
    return 0;
}

bool leap(int y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

// Seconds of a civil date and time; none for one that is not on any calendar or not of the
// years records are made in.
std::optional<std::int64_t> civil(int year, int month, int day, int hour, int minute, int second) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1970 || year > 2200 || month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] + (month == 2 && leap(year)) || hour > 23 || minute > 59 ||
        second > 60) {
        return std::nullopt;
    }
    const std::chrono::sys_days date = std::chrono::year_month_day(
        std::chrono::year(year), std::chrono::month(month), std::chrono::day(day));
    return std::int64_t(date.time_since_epoch().count()) * 86400 + hour * 3600 + minute * 60 +
           second;
}

int number(const std::smatch& m, std::size_t i) {
    return std::stoi(m[i].str());
}

// Two-digit years are of 1970 … 2069.
int fullYear(int y) {
    return y >= 100 ? y : y < 70 ? 2000 + y : 1900 + y;
}

// The first match of any pattern that is a real date and time.
template <typename Read>
std::optional<std::int64_t> firstTime(const std::string& text, const std::regex& pattern,
                                      Read read) {
    for (auto it = std::sregex_iterator(text.begin(), text.end(), pattern);
         it != std::sregex_iterator(); ++it) {
        if (const std::optional<std::int64_t> t = read(*it)) {
            return t;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::int64_t> timeInName(std::string_view name) {
    // Year first, the fields apart or run together: 2004.02.12.10.32.39, 20040212T103239.
    static const std::regex pattern(
        R"((\d{4})[-._]?(\d{2})[-._]?(\d{2})[-._ T]?(\d{2})[-._:h]?(\d{2})[-._:m]?(\d{2}))");
    return firstTime(std::string(name), pattern, [](const std::smatch& m) {
        return civil(number(m, 1), number(m, 2), number(m, 3), number(m, 4), number(m, 5),
                     number(m, 6));
    });
}

std::optional<std::int64_t> timeInHead(std::string_view head) {
    const std::string text(head);
    // Numbers run together are a sample's digits in a record: a written time has its marks.
    static const std::regex iso(R"((\d{4})[-./](\d{2})[-./](\d{2})[ T_]?(\d{2}):(\d{2}):(\d{2}))");
    static const std::regex ctime(
        R"((?:Mon|Tue|Wed|Thu|Fri|Sat|Sun) ([A-Z][a-z]{2}) +(\d{1,2}) (\d{2}):(\d{2}):(\d{2}) (\d{4}))");
    static const std::regex dayMonthName(
        R"((\d{1,2})-([A-Za-z]{3})-(\d{2,4}) +(\d{2}):(\d{2}):(\d{2}))");
    static const std::regex dayFirst(R"((\d{2})\.(\d{2})\.(\d{4}) (\d{2}):(\d{2})(?::(\d{2}))?)");
    if (const auto t = firstTime(text, iso, [](const std::smatch& m) {
            return civil(number(m, 1), number(m, 2), number(m, 3), number(m, 4), number(m, 5),
                         number(m, 6));
        })) {
        return t;
    }
    if (const auto t = firstTime(text, ctime, [](const std::smatch& m) {
            return civil(number(m, 6), monthOf(m[1].str()), number(m, 2), number(m, 3),
                         number(m, 4), number(m, 5));
        })) {
        return t;
    }
    if (const auto t = firstTime(text, dayMonthName, [](const std::smatch& m) {
            return civil(fullYear(number(m, 3)), monthOf(m[2].str()), number(m, 1), number(m, 4),
                         number(m, 5), number(m, 6));
        })) {
        return t;
    }
    return firstTime(text, dayFirst, [](const std::smatch& m) {
        return civil(number(m, 3), number(m, 2), number(m, 1), number(m, 4), number(m, 5),
                     m[6].matched ? number(m, 6) : 0);
    });
}

namespace {

// How far into a file a stored time is looked for: every format here writes it in its
// header.
constexpr std::size_t kHeadBytes = 4096;

std::optional<std::int64_t> storedTime(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        return std::nullopt; // a pipe is never opened here: its reader refuses it
    }
    std::ifstream in(path, std::ios::binary);
    std::string head(kHeadBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
    return timeInHead(head);
}

std::optional<std::int64_t> modified(const std::filesystem::path& path) {
    std::error_code ec;
    const auto written = std::filesystem::last_write_time(path, ec);
    if (ec) {
        return std::nullopt;
    }
    const std::time_t t = std::chrono::system_clock::to_time_t(
        std::chrono::time_point_cast<std::chrono::system_clock::duration>(
            std::chrono::file_clock::to_sys(written)));
    std::tm local{};
    if (!localtime_r(&t, &local)) {
        return std::nullopt;
    }
    return std::int64_t(timegm(&local)); // the local clock's reading, as the names give it
}

} // namespace

RecordTime recordTime(const std::filesystem::path& path) {
    if (const auto t = timeInName(path.filename().string())) {
        return {*t, TimeSource::Name};
    }
    if (const auto t = storedTime(path)) {
        return {*t, TimeSource::File};
    }
    return {modified(path).value_or(0), TimeSource::Modified};
}

std::string timeText(std::int64_t seconds) {
    const std::chrono::sys_seconds t{std::chrono::seconds(seconds)};
    const std::chrono::sys_days day = std::chrono::floor<std::chrono::days>(t);
    const std::chrono::year_month_day ymd(day);
    const std::chrono::hh_mm_ss hms(t - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u %02d:%02d:%02d", int(ymd.year()),
                  unsigned(ymd.month()), unsigned(ymd.day()), int(hms.hours().count()),
                  int(hms.minutes().count()), int(hms.seconds().count()));
    return text;
}

bool naturalLess(std::string_view a, std::string_view b) {
    std::size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        const bool da = std::isdigit(static_cast<unsigned char>(a[i]));
        const bool db = std::isdigit(static_cast<unsigned char>(b[j]));
        if (da && db) {
            std::size_t ei = i, ej = j;
            while (ei < a.size() && std::isdigit(static_cast<unsigned char>(a[ei]))) {
                ++ei;
            }
            while (ej < b.size() && std::isdigit(static_cast<unsigned char>(b[ej]))) {
                ++ej;
            }
            // Leading zeros aside, the longer run of digits is the larger number.
            std::string_view na = a.substr(i, ei - i), nb = b.substr(j, ej - j);
            while (na.size() > 1 && na.front() == '0') {
                na.remove_prefix(1);
            }
            while (nb.size() > 1 && nb.front() == '0') {
                nb.remove_prefix(1);
            }
            if (na.size() != nb.size() || na != nb) {
                return na.size() != nb.size() ? na.size() < nb.size() : na < nb;
            }
            i = ei, j = ej;
        } else if (a[i] != b[j]) {
            return a[i] < b[j];
        } else {
            ++i, ++j;
        }
    }
    return a.size() - i < b.size() - j;
}

} // namespace orbistan
