#pragma once
// The one-page report an analyst hands over: what was measured and how, the bearing, the
// peak table with its explanations and the diagnosis, as texts; the window and the command
// line draw the same page from it (with the plot) and write it as PDF.

#include "calc/numbers.h" // geometryText, for the report's context
#include "spectrum/workbench/workbench.h"

#include <string>
#include <utility>
#include <vector>

namespace orbistan {

// What the workbench does not hold: the bearing as the calculator names it, where it was
// measured, and the dates.
struct ReportContext {
    std::string bearingNumber;     // empty when the bearing has none
    std::string geometry;          // "d = 25 мм, D = 52 мм, Dw = 7,94 мм, Z = 9, α = 0°"
    std::string date;              // "08.12.2026 17:30"
    std::optional<double> shaftHz; // Fr as computed with
    MeasurementPlace place;        // either may be empty
    std::string measured;          // as measurementDate gives it; empty: the file's date
};

// A date typed as "ДД.ММ.ГГГГ" or "ДД.ММ.ГГГГ ЧЧ:ММ" (blanks around it, one-digit days,
// months and hours allowed), written back in that form with two digits each; none when it
// is no such date (31.02.2026, 24:00, text).
std::optional<std::string> measurementDate(std::string_view typed);

// The file's modification time as the report writes a date, "01.12.2026 08:15", in local
// time; empty when it cannot be read.
std::string modifiedText(const std::filesystem::path& path);

struct DiagnosisLine {
    std::string text;
    std::optional<Verdict> verdict; // none for the heading and the caveat
    // A strong verdict on a rate the file states or the user gave: the page marks it.
    bool marked() const { return verdict == Verdict::Strong; }
};

struct Report {
    std::string title;                                      // the file's name
    std::string conclusion;                                 // what was concluded, in words
    std::optional<Verdict> concluded;                       // its verdict, for its colour
    std::vector<std::pair<std::string, std::string>> facts; // caption, value
    std::vector<std::string> captions;                      // of the peak table
    std::vector<std::vector<std::string>> rows;             // as the window's table shows them
    std::vector<DiagnosisLine> diagnosis; // a heading, the rate's caveat, a line a family
};

// The report of what the workbench shows; an empty title when it shows nothing.
Report makeReport(const Workbench& doc, const ReportContext& context);

// The page's first line: "Дефект наружного кольца: сильные признаки", "Признаков дефекта
// подшипника нет", "Частота дискретизации принята — признаки не проверены", …; and the
// verdict it says (none where nothing was judged).
std::pair<std::string, std::optional<Verdict>> conclusion(const Workbench& doc);

// The peak table's cells as the window shows them: frequency, value and residual to a
// thousandth of a hertz, the amplitude to four significant digits.
std::vector<std::string> peakTableCells(int rank, const ExplainedPeak& row);

// "29,93 Гц (1796 об/мин)": a shaft speed as the window shows it, to a hundredth of a hertz
// (a file's RPM over 60 has fifteen digits).
std::string shaftSpeedText(double hz);

// "1 пик", "2 пика", "5 пиков", "21 пик": a count of peaks as Russian says it.
std::string peaksCounted(std::size_t n);

// "0,5", "1,235E-05": four significant digits with the decimal comma.
std::string fourSignificant(double v);

// "СКЗ 0,1387 g · пик 0,6196 g · размах 1,211 g · пик-фактор 4,469 · эксцесс 2,985": a
// record's levels as the window and the page write them; "нет колебаний" for a constant one.
std::string levelsText(const Levels& l, const std::string& unit);

} // namespace orbistan
