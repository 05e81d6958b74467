#include "cli/spectrum_options.h"

#include "calc/numbers.h"
#include "platform/cp1251.h"
#include "spectrum/io/mat_file.h"
#include "spectrum/io/text_file.h"

#include <cmath>

namespace orbistan {

std::optional<double> numberOption(const ComputeArgs& a, const std::string& name,
                                   const std::string& fallback) {
    return readNumber(fieldNumberText(utf8ToCp1251Lossy(extraOr(a, name, fallback))));
}

long wholeOption(const ComputeArgs& a, const std::string& name, const std::string& fallback,
                 long low, long high) {
    const std::string text = extraOr(a, name, fallback);
    std::size_t used = 0;
    long value = 0;
    try {
        value = std::stol(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != text.size() || value < low || value > high) {
        throw UsageError{name + " takes a whole number from " + std::to_string(low) + " to " +
                         std::to_string(high)};
    }
    return value;
}

TransformSettings transformOptions(const ComputeArgs& a) {
    TransformSettings t; // its defaults are the options'
    const auto window = valueOfKey(
        kWindowTerms, extraOr(a, "--window", std::string(termOf(kWindowTerms, t.window).key)));
    if (!window) {
        throw UsageError{"--window takes " + keyList(kWindowTerms)};
    }
    t.window = *window;
    const auto scaling = valueOfKey(
        kScalingTerms, extraOr(a, "--scaling", std::string(termOf(kScalingTerms, t.scaling).key)));
    if (!scaling) {
        throw UsageError{"--scaling takes " + keyList(kScalingTerms)};
    }
    t.scaling = *scaling;
    const std::string lines = extraOr(a, "--lines", "3200");
    if (lines == "all") {
        t.lines = 0;
    } else {
        t.lines = static_cast<int>(wholeOption(a, "--lines", "3200", 0, 25600));
        if (t.lines != 0 &&
            std::find(kLineChoices.begin(), kLineChoices.end(), t.lines) == kLineChoices.end()) {
            throw UsageError{"--lines takes 400, 800, 1600, 3200, 6400, 12800, 25600 or all"};
        }
    }
    const auto averaging =
        valueOfKey(kAveragingTerms, extraOr(a, "--averaging",
                                            std::string(termOf(kAveragingTerms, t.averaging).key)));
    if (!averaging) {
        throw UsageError{"--averaging takes " + keyList(kAveragingTerms)};
    }
    t.averaging = *averaging;
    if (extraOr(a, "--averages", "all") != "all") {
        t.averages = static_cast<int>(wholeOption(a, "--averages", "0", 1, kMaxAverages));
    }
    if (a.extra.count("--span")) {
        const std::optional<double> span = numberOption(a, "--span", "");
        if (!span || !(*span > 0 && *span <= kMaxSampleRate)) {
            throw UsageError{"--span takes the highest frequency to show, in Hz"};
        }
        t.span = *span;
    }
    return t;
}

std::optional<Band> bandOption(const ComputeArgs& a, const std::string& fallback) {
    const std::string text = extraOr(a, "--band", fallback);
    if (text == "auto") {
        return std::nullopt;
    }
    const std::size_t colon = text.find(':');
    const auto low = colon == std::string::npos
                         ? std::nullopt
                         : readNumber(fieldNumberText(utf8ToCp1251Lossy(text.substr(0, colon))));
    const auto high = colon == std::string::npos
                          ? std::nullopt
                          : readNumber(fieldNumberText(utf8ToCp1251Lossy(text.substr(colon + 1))));
    if (!low || !high || !(*low < *high)) {
        throw UsageError{"--band takes LOW:HIGH in Hz, LOW below HIGH, or auto"};
    }
    return Band{*low, *high};
}

Unit unitOption(const ComputeArgs& a) {
    const std::string text = extraOr(a, "--unit", "");
    const std::optional<Unit> unit = valueOfKey(kStatedUnitTerms, text);
    if (!unit || (a.extra.count("--unit") && *unit == Unit::Unknown)) {
        throw UsageError{"--unit takes " + keyList(kStatedUnitTerms)};
    }
    return *unit;
}

WorkbenchTask taskOf(const std::string& file, const ComputeArgs& a, TaskKind kind) {
    WorkbenchTask t;
    t.kind = kind;
    t.path = file;
    t.transform = transformOptions(a);
    if (a.extra.count("--channel")) {
        t.source.index = static_cast<int>(wholeOption(a, "--channel", "1", 1, 1 << 16)) - 1;
    }
    t.source.variable = extraOr(a, "--variable", "");
    const std::optional<TextLayout> layout =
        valueOfKey(kTextLayoutTerms, extraOr(a, "--text", "auto"));
    if (!layout) {
        throw UsageError{"--text takes " + keyList(kTextLayoutTerms)};
    }
    t.source.textLayout = *layout;
    if (a.extra.count("--rate")) {
        t.source.rate = numberOption(a, "--rate", "");
        if (!t.source.rate) {
            throw UsageError{"--rate takes the sample rate in Hz"};
        }
    }
    t.band = kind == TaskKind::Envelope ? bandOption(a, "auto") : std::nullopt;
    // An envelope's lines, unless given, are those the diagnosis takes at the record's rate.
    t.linesForRate = kind == TaskKind::Envelope && !a.extra.count("--lines");
    t.whiten = a.extra.count("--whiten") > 0;
    if (a.extra.count("--method")) {
        const std::optional<EnvelopeMethod> method =
            valueOfKey(kEnvelopeMethodTerms, extraOr(a, "--method", ""));
        if (!method) {
            throw UsageError{"--method takes " + keyList(kEnvelopeMethodTerms)};
        }
        if (t.whiten || a.extra.count("--band")) {
            throw UsageError{
                "--method chooses how the envelope is made: not with --band or --whiten"};
        }
        t.method = *method;
    }
    unitOption(a);
    return t;
}

void noteLayout(const std::filesystem::path& path, const FileContents& c, std::ostream& err) {
    if (!c.readAs.empty()) {
        err << fileNoteText(displayName(path),
                            c.readAs +
                                "; как запись со временем в первом столбце его читают с "
                                "--text " +
                                std::string(termOf(kTextLayoutTerms, TextLayout::Timed).key))
            << '\n';
    }
}

bool noteReading(const WorkbenchTask& task, const TaskResult& r, std::ostream& err) {
    const std::string file = displayName(task.path);
    if (r.contents) {
        noteLayout(task.path, *r.contents, err);
    }
    const bool recording = r.envelope || (r.contents && r.contents->record);
    if (!recording || !r.contents) {
        return false;
    }
    const std::optional<double>& stated = r.contents->statedRate;
    if (!stated && !task.source.rate) {
        const double assumed =
            r.contents->record ? r.contents->record->sampleRate : kDefaultMatSampleRate;
        err << fileNoteText(file, "частота дискретизации в нём не указана; принята " +
                                      rateText(assumed) + " Гц (задайте её: --rate)")
            << '\n';
        return true;
    }
    if (stated && task.source.rate && *stated != *task.source.rate) {
        err << fileNoteText(file, "в нём указана частота дискретизации " + rateText(*stated) +
                                      " Гц; взята --rate " + rateText(*task.source.rate) + " Гц")
            << '\n';
    }
    return false;
}

void noteVerdictsOnAssumedRate(const std::filesystem::path& path, std::ostream& err) {
    err << fileNoteText(displayName(path), std::string(kRateAssumedCaveat)) << '\n';
}

// A rate for a spectrum, a channel where there is nothing to choose, a variable outside
// MATLAB, a layout outside text.
void requireOptionsApply(const WorkbenchTask& task, const FileContents& c, bool recording) {
    const std::string file = displayName(task.path);
    if (task.source.rate && !recording) {
        throw UsageError{
            fileNoteText(file, "--rate к нему не относится: в нём спектр, а не запись сигнала")};
    }
    if (!recording && (task.whiten || task.band || task.method != EnvelopeMethod::Best)) {
        const char* option = task.whiten ? "--whiten" : task.band ? "--band" : "--method";
        throw UsageError{fileNoteText(file, std::string(option) +
                                                " к нему не относится: огибающую строят по записи "
                                                "сигнала, а в нём спектр")};
    }
    if (task.source.index && c.sourceKind == SourceKind::None) {
        throw UsageError{
            fileNoteText(file, "--channel к нему не относится: выбирать в нём нечего")};
    }
    if (task.source.textLayout != TextLayout::Auto && c.format != textFileFormat().key) {
        throw UsageError{fileNoteText(file, "--text к нему не относится: он не текстовый")};
    }
    if (!task.source.variable.empty() && c.sourceKind != SourceKind::Variable) {
        throw UsageError{fileNoteText(
            file, "--variable к нему не относится: переменные есть только в файлах MATLAB")};
    }
}

const std::vector<std::string> kTransformOptions = {"--window",  "--lines",   "--span",
                                                    "--scaling", "--channel", "--variable",
                                                    "--unit",    "--rate",    "--text"};

std::vector<std::string> with(std::vector<std::string> options,
                              const std::vector<std::string>& more) {
    options.insert(options.end(), more.begin(), more.end());
    return options;
}

double slipOption(const ComputeArgs& a) {
    const std::optional<double> slip =
        numberOption(a, "--slip", formatGeneral(kDefaultSlipPercent));
    if (!slip || !(*slip >= 0 && *slip <= 20)) {
        throw UsageError{"--slip takes a percentage from 0 to 20"};
    }
    return *slip;
}

const std::vector<std::string> kSpeedOptions = {"--speed-range"}, kSpeedFlags = {"--Fr-exact"};

SpeedSearch speedOption(const ComputeArgs& a) {
    SpeedSearch search;
    search.exact = a.extra.count("--Fr-exact") > 0;
    if (a.extra.count("--speed-range")) {
        if (search.exact) {
            throw UsageError{"--speed-range and --Fr-exact exclude each other"};
        }
        const std::optional<double> range =
            numberOption(a, "--speed-range", formatGeneral(kDefaultSpeedRangePercent));
        if (!range || !(*range > 0 && *range <= kMaxSpeedRangePercent)) {
            throw UsageError{"--speed-range takes a percentage above 0 and at most " +
                             cp1251ToUtf8(formatGeneral(kMaxSpeedRangePercent))};
        }
        search.rangePercent = *range;
    }
    return search;
}

} // namespace orbistan
