// orbistan-cli trend: a folder (or files) of records of one point as a table over time.
#include "cli/common.h"
#include "cli/spectrum_options.h"

#include "calc/numbers.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "spectrum/series/series.h"

#include <sstream>

namespace orbistan {

namespace {

// The files and folders named before the first option.
std::vector<std::filesystem::path> namedPaths(const std::vector<std::string>& args,
                                              std::size_t& first) {
    std::vector<std::filesystem::path> named;
    first = 1;
    while (first < args.size() && !args[first].starts_with("--")) {
        named.emplace_back(args[first++]);
    }
    if (named.empty()) {
        throw UsageError{"missing FOLDER or FILE"};
    }
    return named;
}

// The arguments with --Fr from the series' first record that states its shaft speed, when
// they lack it.
std::optional<int> takeShaftSpeed(ComputeArgs& a, const std::vector<SeriesEntry>& entries,
                                  const SourceChoice& source, std::ostream& err) {
    if (a.geometry.count("--Fr") || entries.empty()) {
        return std::nullopt;
    }
    try {
        if (const std::optional<double> rpm =
                readSpectrumFile(entries.front().path, source).shaftRpm) {
            a.geometry["--Fr"] = cp1251ToUtf8(formatGeneral(*rpm / 60));
            return std::nullopt;
        }
    } catch (const SpectrumFileError& e) {
        err << problemText(e.problem()) << '\n';
    }
    throw UsageError{"missing option --Fr: the first record states no shaft speed"};
}

// "записей: 120 из 1000", every tenth of the way and at the end.
class ProgressLines {
public:
    ProgressLines(std::size_t total, std::ostream& err) : total_(total), err_(err) {}
    void operator()(double share) {
        const auto tenth = static_cast<int>(share * 10);
        if (tenth > said_) {
            said_ = tenth;
            err_ << "записей: " << static_cast<std::size_t>(std::llround(share * total_)) << " из "
                 << total_ << '\n';
        }
    }

private:
    std::size_t total_;
    std::ostream& err_;
    int said_ = 0;
};

// The geometry's five options, which a series needs whatever its records state.
void requireGeometry(const ComputeArgs& a) {
    for (const char* g : {"--Z", "--dw", "--D", "--d", "--a"}) {
        if (!a.geometry.count(g)) {
            throw UsageError{std::string("missing option ") + g};
        }
    }
}

// Each record judged as `diagnose` judges it with the same options.
SeriesSettings seriesSettings(const ComputeArgs& a, const WorkbenchTask& task,
                              const ComputeOutcome& c) {
    SeriesSettings settings;
    settings.source = task.source;
    settings.transform = task.transform;
    settings.bases = basesOf(c);
    settings.band = task.band;
    settings.whiten = task.whiten;
    settings.method = task.method;
    settings.slipPercent = slipOption(a);
    settings.speed = speedOption(a);
    settings.lines = a.extra.count("--lines") ? std::optional(task.transform.lines) : std::nullopt;
    return settings;
}

// What the rows written came to: how many records were read, how many at a rate assumed.
struct Tally {
    std::size_t read = 0, assumed = 0;
    double assumedRate = 0;
};

Tally writeRows(const std::vector<SeriesEntry>& entries, const SeriesSettings& settings,
                unsigned threads, std::ostream& rows, std::ostream& err) {
    Tally tally;
    ProgressLines progress(entries.size(), err);
    rows << trendHeader();
    runSeries(
        entries, settings,
        [&](SeriesRow&& row) {
            tally.read += row.levels ? 1 : 0;
            if (row.levels && row.rateAssumed) {
                ++tally.assumed, tally.assumedRate = row.sampleRate;
            }
            rows << trendLine(row);
            rows.flush();
        },
        Progress([&](double share) { progress(share); }, nullptr), threads);
    return tally;
}

} // namespace

// One row per record in time order: its time and where the time came from, its levels,
// each family's line and verdict, the band its envelope was made in (or why it was not read).
int trendCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    std::size_t first = 1;
    const std::vector<std::filesystem::path> named = namedPaths(args, first);
    ComputeArgs a = parseCompute(
        args,
        {with(kTransformOptions,
              with({"--band", "--slip", "--method", "--out", "--threads"}, kSpeedOptions)),
         with({"--whiten"}, kSpeedFlags)},
        first, false);
    requireGeometry(a);
    const WorkbenchTask task = taskOf(named.front().string(), a, TaskKind::Envelope);
    const auto threads = static_cast<unsigned>(wholeOption(a, "--threads", "0", 0, 1024));
    std::vector<SeriesEntry> entries;
    try {
        entries = seriesEntries(named);
    } catch (const SpectrumFileError& e) {
        err << problemText(e.problem()) << '\n';
        return ExitFile;
    }
    takeShaftSpeed(a, entries, task.source, err);
    ComputeOutcome c;
    if (const auto refused = computeOrRefuse(a, c, err)) {
        return *refused;
    }
    const std::string outPath = extraOr(a, "--out", "");
    std::ostringstream table; // with --out, written whole at the end: never half a file
    const Tally tally =
        writeRows(entries, seriesSettings(a, task, c), threads, outPath.empty() ? out : table, err);
    if (!outPath.empty()) {
        if (const int error = writeFileAtomically(outPath, table.str())) {
            err << problemText(writeFailure(outPath, error)) << '\n';
            return ExitFile;
        }
    }
    if (tally.assumed > 0) {
        err << "частота дискретизации не указана в " << tally.assumed << " из " << entries.size()
            << " записей; принята " << rateText(tally.assumedRate)
            << " Гц (задайте её: --rate): " << kRateAssumedCaveat << '\n';
    }
    return tally.read > 0 ? ExitDone : ExitFile;
}

} // namespace orbistan
