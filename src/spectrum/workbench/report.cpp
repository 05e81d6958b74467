#include "spectrum/workbench/report.h"

#include "calc/numbers.h"
#include "spectrum/signal/vocabulary.h"

#include <chrono>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <tuple>

namespace orbistan {

std::string fourSignificant(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.4g", v);
    std::string text = buf;
    for (char& c : text) {
        c = c == '.' ? ',' : c;
    }
    return text;
}

std::string levelsText(const Levels& l, const std::string& unit) {
    if (l.samples == 0 || l.peakToPeak == 0) {
        return "нет колебаний";
    }
    const std::string u = unit.empty() ? "" : " " + unit;
    return "СКЗ " + fourSignificant(l.rms) + u + " · пик " + fourSignificant(l.peak) + u +
           " · размах " + fourSignificant(l.peakToPeak) + u + " · пик-фактор " +
           fourSignificant(l.crest) + " · эксцесс " + fourSignificant(l.kurtosis);
}

namespace {

std::string thousandths(double v) {
    return formatGeneral(std::round(v * 1000) / 1000);
}

// How the spectrum was had: the transform's settings for a record, or the file's own.
std::string transformText(const Workbench& doc) {
    if (!doc.hasRecord()) {
        return "спектр из файла";
    }
    const TransformSettings& t = doc.settings().transform;
    std::string text = "окно " + std::string(termOf(kWindowTerms, t.window).phrase()) + ", " +
                       (t.lines > 0 ? std::to_string(t.lines) + " линий" : "вся запись");
    if (t.span > 0) {
        text += ", макс. частота " + formatGeneral(t.span) + " Гц";
    }
    return text + ", " + std::string(termOf(kScalingTerms, t.scaling).phrase());
}

std::string shownText(const Workbench& doc) {
    const Spectrum& s = *doc.displayed();
    const std::string band = std::to_string(std::lround(doc.envelopeBand().low)) + "–" +
                             std::to_string(std::lround(doc.envelopeBand().high)) + " Гц";
    std::string text = !doc.showingEnvelope() ? std::string("спектр")
                       : doc.envelopeMethod() == EnvelopeMethod::Coherence
                           ? "усиленный спектр огибающей, когерентность несущих " + band
                           : "спектр огибающей " + band;
    if (doc.velocity()) {
        text += ", виброскорость";
    }
    // What the amplitudes measure, without what the page says already: the envelope's band
    // (said above) and the scaling (said under «Расчёт»).
    Units said = s.units;
    said.scaling = Scaling::Unknown;
    if (doc.showingEnvelope()) {
        said.label.clear();
    }
    return text + "; " + lineSpacingText(s) + "; " + amplitudeCaption(said);
}

// When the file was last written, as the report writes dates; empty when it cannot be told.

std::vector<std::pair<std::string, std::string>> reportFacts(const Workbench& doc,
                                                             const ReportContext& c) {
    std::vector<std::pair<std::string, std::string>> facts;
    facts.emplace_back("Подшипник", c.bearingNumber.empty() ? "—" : c.bearingNumber);
    if (!c.place.machine.empty()) {
        facts.emplace_back("Машина", c.place.machine);
    }
    if (!c.place.point.empty()) {
        facts.emplace_back("Точка измерения", c.place.point);
    }
    if (!c.geometry.empty()) {
        facts.emplace_back("Геометрия", c.geometry);
    }
    if (c.shaftHz) {
        facts.emplace_back("Fr", shaftSpeedText(*c.shaftHz));
    }
    const FileContents& f = *doc.shown();
    facts.emplace_back("Файл", doc.shownPath().string());
    if (f.sources.size() > 1 || f.sourceKind != SourceKind::None) {
        facts.emplace_back("Канал", f.sources.empty() ? "1" : f.sources.at(f.source));
    }
    if (const std::optional<double> rate = doc.sampleRate()) {
        facts.emplace_back("Частота дискретизации",
                           rateText(*rate) + " Гц" + (doc.rateAssumed() ? " (принята)" : ""));
    }
    if (const RangeExtremes* summary = doc.recordSummary()) {
        facts.emplace_back("Уровни записи", levelsText(summary->levels(0, summary->size()),
                                                       unitName(withStatedUnit(doc.record()->units,
                                                                               doc.statedUnit()))));
    }
    facts.emplace_back("Расчёт", transformText(doc));
    facts.emplace_back("Показан", shownText(doc));
    if (!c.measured.empty()) {
        facts.emplace_back("Дата измерения", c.measured);
    } else if (const std::string measured = modifiedText(doc.shownPath()); !measured.empty()) {
        facts.emplace_back("Дата измерения", measured + " (файла)");
    }
    facts.emplace_back("Дата отчёта", c.date);
    return facts;
}

} // namespace

std::string modifiedText(const std::filesystem::path& path) {
    std::error_code error;
    const auto written = std::filesystem::last_write_time(path, error);
    if (error) {
        return {};
    }
    const std::time_t t =
        std::chrono::system_clock::to_time_t(std::chrono::file_clock::to_sys(written));
    std::tm local{};
    char text[32];
    if (!localtime_r(&t, &local) || !std::strftime(text, sizeof text, "%d.%m.%Y %H:%M", &local)) {
        return {};
    }
    return text;
}

namespace {

// Whole numbers of at most `most[i]` digits (the year's exactly four), each followed by the
// form's separator, the last two (the time) optional; none for another text.
std::optional<std::array<int, 5>> dateParts(std::string_view text) {
    constexpr std::array<std::pair<int, char>, 5> kForm = {
        {{2, '.'}, {2, '.'}, {4, ' '}, {2, ':'}, {2, '\0'}}};
    std::array<int, 5> parts{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < kForm.size(); ++i) {
        const std::size_t from = at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && at - from < 4) {
            parts[i] = parts[i] * 10 + (text[at++] - '0');
        }
        const auto digits = static_cast<int>(at - from);
        if (digits == 0 || digits > kForm[i].first || (i == 2 && digits != 4)) {
            return std::nullopt;
        }
        if (at == text.size() && (i == 2 || i == 4)) {
            return parts;
        }
        if (at >= text.size() || text[at++] != kForm[i].second) {
            return std::nullopt;
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> measurementDate(std::string_view typed) {
    const std::size_t from = typed.find_first_not_of(' ');
    typed = from == std::string_view::npos ? std::string_view() : typed.substr(from);
    typed = typed.substr(0, typed.find_last_not_of(' ') + 1);
    const std::optional<std::array<int, 5>> parts = dateParts(typed);
    if (!parts) {
        return std::nullopt;
    }
    const auto [day, month, year, hour, minute] = *parts;
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1900 || month < 1 || month > 12 || day < 1 ||
        day > kDays[month - 1] + (month == 2 && leap) || hour > 23 || minute > 59) {
        return std::nullopt;
    }
    char text[80]; // room for any int the compiler cannot bound
    const bool timed = typed.find(' ') != std::string_view::npos;
    if (timed) {
        std::snprintf(text, sizeof text, "%02d.%02d.%04d %02d:%02d", day, month, year, hour,
                      minute);
    } else {
        std::snprintf(text, sizeof text, "%02d.%02d.%04d", day, month, year);
    }
    return text;
}

std::string shaftSpeedText(double hz) {
    return formatGeneral(std::round(hz * 100) / 100) + " Гц (" +
           formatGeneral(std::round(hz * 60 * 100) / 100) + " об/мин)";
}

std::string peaksCounted(std::size_t n) {
    const std::size_t tens = n % 100, ones = n % 10;
    const char* word = (tens >= 11 && tens <= 14) ? "пиков"
                       : ones == 1                ? "пик"
                       : (ones >= 2 && ones <= 4) ? "пика"
                                                  : "пиков";
    return std::to_string(n) + " " + word;
}

std::vector<std::string> peakTableCells(int rank, const ExplainedPeak& row) {
    std::vector<std::string> cells = {std::to_string(rank), thousandths(row.peak.frequency),
                                      fourSignificant(row.peak.amplitude)};
    if (row.best) {
        const Explanation& e = *row.best;
        cells.insert(cells.end(), {e.name, formatGeneral(e.m), e.single ? "" : formatGeneral(e.n),
                                   thousandths(e.value), thousandths(e.residual)});
    } else {
        cells.insert(cells.end(), {"-", "", "", "", ""});
    }
    return cells;
}

std::pair<std::string, std::optional<Verdict>> conclusion(const Workbench& doc) {
    if (!doc.bearing()) {
        return {"Подшипник не рассчитан: признаки дефекта не проверялись", std::nullopt};
    }
    if (doc.rateAssumed()) {
        return {"Частота дискретизации принята — признаки не проверены", std::nullopt};
    }
    const std::vector<FamilyEvidence>& evidence = doc.evidence();
    if (evidence.empty()) {
        return {doc.diagnosisHeading(), std::nullopt}; // being made, or why there is none
    }
    const Verdict top = evidence.front().verdict; // strongest first
    if (top == Verdict::None) {
        return {"Признаков дефекта подшипника нет", Verdict::None};
    }
    std::string text;
    for (const FamilyEvidence& e : evidence) {
        if (e.verdict == top) {
            text += (text.empty() ? "" : "; ") +
                    std::string(top == Verdict::Strong ? "Дефект " : "Возможен дефект ") +
                    std::string(faultFamily(e.family).faultOf);
        }
    }
    return {text + (top == Verdict::Strong ? ": сильные признаки" : ": слабые признаки"), top};
}

Report makeReport(const Workbench& doc, const ReportContext& context) {
    Report r;
    if (!doc.hasSpectrum()) {
        return r;
    }
    r.title = displayName(doc.shownPath());
    std::tie(r.conclusion, r.concluded) = conclusion(doc);
    r.facts = reportFacts(doc, context);
    r.captions = peakTableCaptions();
    int rank = 0;
    for (const ExplainedPeak& row : doc.rows()) {
        r.rows.push_back(peakTableCells(++rank, row));
    }
    if (doc.bearing()) {
        r.diagnosis.push_back({doc.diagnosisHeading(), std::nullopt});
        const bool assumed = doc.rateAssumed();
        if (assumed) {
            r.diagnosis.push_back({std::string(kRateAssumedCaveat), std::nullopt});
        }
        if (const auto& judged = doc.judged()) { // the speed the verdicts were made at
            r.diagnosis.push_back(
                {speedText(judged->speed, true) + "; " + windowText(judged->windowPercent),
                 std::nullopt});
        }
        for (const FamilyEvidence& e : doc.evidence()) {
            // On an assumed rate the verdict is said, but not vouched for.
            r.diagnosis.push_back(
                {describeEvidence(e, true) + ": " + std::string(verdictWords(e.verdict)),
                 assumed ? std::nullopt : std::optional(e.verdict)});
            // A family judged to be there: its lines, where each was found and how high.
            if (e.verdict != Verdict::None && !e.lines.empty()) {
                r.diagnosis.push_back({"   линии " + foundLinesText(e), std::nullopt});
            }
        }
    }
    return r;
}

} // namespace orbistan
