// orbistan-cli spectrum and synth: a file's peak table with its explanations, and the
// synthetic bearing signals whose answers are known.
#include "cli/common.h"
#include "cli/spectrum_options.h"
#include "ui/report/report_pdf.h"

#include "calc/messages.h"
#include "calc/numbers.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "platform/runtime_error.h"
#include "spectrum/diagnosis/evidence.h"
#include "spectrum/diagnosis/explain.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/envelope.h"
#include "spectrum/io/audio.h"
#include "spectrum/io/mat_file.h"
#include "spectrum/series/record_time.h"
#include "spectrum/workbench/workbench.h"

#include <cmath>
#include <ctime>
#include <map>

namespace orbistan {

namespace {

// The spectrum of the task, in the stated unit and as velocity when asked; empty with the
// file's message written.
// The record read, when `record` asks for it, for more work on it without reading it again.
std::optional<Spectrum> runForSpectrum(const WorkbenchTask& task, const ComputeArgs& a,
                                       std::ostream& err,
                                       std::shared_ptr<const Waveform>* record = nullptr) {
    TaskResult r = runTask(task);
    if (r.problem || !r.spectrum()) {
        err << (r.problem ? problemText(*r.problem) : std::string()) << '\n';
        return std::nullopt;
    }
    if (r.contents) {
        requireOptionsApply(task, *r.contents, r.record || r.contents->record);
    }
    noteReading(task, r, err);
    if (record) {
        *record = r.record;
        if (!*record && r.contents && r.contents->record) {
            *record = std::make_shared<const Waveform>(std::move(*r.contents->record));
        }
    }
    const Spectrum& s = *r.spectrum();
    const Unit stated = unitOption(a);
    const std::string file = displayName(task.path);
    if (stated != Unit::Unknown && s.units.unit != Unit::Unknown) {
        err << fileNoteText(file, "единицу называет сам файл (" + unitName(s.units) +
                                      "), --unit не нужна")
            << '\n';
    }
    const bool velocity = a.extra.count("--velocity") > 0;
    if (velocity && !velocityOffered(s, stated)) {
        err << problemText({ProblemKind::Unsuited, file, "",
                            "скорость получают из ускорения в g или м/с²; единица здесь не "
                            "известна (--unit)"})
            << '\n';
        return std::nullopt;
    }
    return presentSpectrum(s, stated, velocity, kDefaultVelocityLowCut);
}

// The bearing and the search's fields when the geometry is given; exits early as compute does.
struct PeakSearch {
    std::optional<SearchBases> bases;
    SearchParameters parameters;
};

std::optional<int> readPeakSearch(const ComputeArgs& a, PeakSearch& p, std::ostream& err) {
    if (a.geometry.empty()) {
        return std::nullopt;
    }
    ComputeOutcome c;
    if (const auto refused = computeOrRefuse(a, c, err)) {
        return refused;
    }
    p.bases = basesOf(c);
    const auto read = readSearchParameters(
        withEmptyDefaults({"0", utf8ToCp1251Lossy(extraOr(a, "--tolerance", "1")), "1",
                           utf8ToCp1251Lossy(extraOr(a, "--max-harmonic", "10")),
                           utf8ToCp1251Lossy(extraOr(a, "--max-frequency", "1000"))}));
    if (!read) {
        err << text::kEnterDataCorrectly << '\n';
        return ExitUnreadable;
    }
    p.parameters = applySearchLimits(*read).parameters;
    return std::nullopt;
}

// The peaks explained, when the geometry is given, as the window explains them: by the
// families the file's diagnosis found, made of the record already read (a spectrum file's
// of its spectrum, read again).
std::vector<ExplainedPeak> explainedRows(const std::vector<Peak>& found, const Spectrum& spectrum,
                                         const WorkbenchTask& task,
                                         const std::shared_ptr<const Waveform>& record,
                                         const PeakSearch& search, int precision,
                                         const SpeedSearch& speed) {
    std::vector<ExplainedPeak> rows;
    if (!search.bases) {
        for (const Peak& p : found) {
            rows.push_back({p, std::nullopt});
        }
        return rows;
    }
    // The record's diagnosis as the window makes it, whatever span and lines are shown.
    TransformSettings transform = task.transform;
    transform.span = 0;
    WorkbenchTask diagnose = diagnosisTask(task.path, task.source, transform, *search.bases,
                                           std::nullopt, false, kDefaultSlipPercent, std::nullopt);
    diagnose.record = record;
    diagnose.speed = speed;
    const TaskResult diagnosis = runTask(diagnose);
    // At the speed the diagnosis found: the peaks are explained where the families stand.
    return explainPeaks(found, diagnosis.diagnosis ? diagnosis.diagnosis->bases : *search.bases,
                        search.parameters, precision, spectrum.resolution,
                        diagnosis.diagnosis ? diagnosis.diagnosis->families
                                            : std::vector<FamilyEvidence>{});
}

// The arguments with --Fr taken from the file when they lack it: a MATLAB file's RPM
// variable or its struct's shaft rate. Throws SpectrumFileError for a file that cannot be
// read.
std::vector<std::string> withShaftSpeed(std::vector<std::string> args) {
    // Only a command line that lacks nothing else is worth reading the file for.
    for (const char* option : {"--Fr", "--Z", "--dw", "--D", "--d", "--a"}) {
        if (option != std::string("--Fr") && !contains(args, option)) {
            return args;
        }
    }
    if (contains(args, "--Fr")) {
        return args;
    }
    const std::optional<double> rpm = readSpectrumFile(args[1], {}).shaftRpm;
    if (!rpm) {
        throw UsageError{"missing option --Fr: the file states no shaft speed"};
    }
    args.insert(args.end(), {"--Fr", cp1251ToUtf8(formatGeneral(*rpm / 60))});
    return args;
}

// spectrum and envelope: the peak table, explained when the geometry is given.
int peakCommand(const std::vector<std::string>& given, std::ostream& out, std::ostream& err,
                TaskKind kind) {
    if (given.size() < 2 || given[1].starts_with("--")) {
        throw UsageError{"missing FILE"};
    }
    std::vector<std::string> args;
    try {
        args = withShaftSpeed(given); // as every command: Fr from a file that states it
    } catch (const SpectrumFileError& e) {
        err << problemText(e.problem()) << '\n';
        return ExitFile;
    }
    std::vector<std::string> options =
        with(kTransformOptions, {"--peaks", "--tolerance", "--max-harmonic", "--max-frequency",
                                 "--averaging", "--averages"});
    if (kind == TaskKind::Envelope) {
        options.push_back("--band");
    }
    const ComputeArgs a = parseCompute(
        args, {with(options, kSpeedOptions), with({"--velocity", "--whiten"}, kSpeedFlags)}, 2,
        false);
    if (kind == TaskKind::Envelope && !a.extra.count("--band")) {
        throw UsageError{"missing option --band"};
    }
    if (kind == TaskKind::Envelope &&
        (a.extra.count("--averaging") || a.extra.count("--averages"))) {
        throw UsageError{"--averaging and --averages are the spectrum's: an envelope is averaged "
                         "as its diagnosis is"};
    }
    const WorkbenchTask task = taskOf(args[1], a, kind);
    const auto peaks = static_cast<std::size_t>(wholeOption(a, "--peaks", "20", 1, 100000));
    PeakSearch search;
    if (const auto refused = readPeakSearch(a, search, err)) {
        return *refused;
    }
    std::shared_ptr<const Waveform> record;
    const std::optional<Spectrum> spectrum = runForSpectrum(task, a, err, &record);
    if (!spectrum) {
        return ExitFile;
    }
    out << peakTable(explainedRows(findPeaks(*spectrum, peaks), *spectrum, task, record, search,
                                   a.precision, speedOption(a)),
                     '\t');
    return ExitDone;
}

} // namespace

int spectrumCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return peakCommand(args, out, err, TaskKind::Open);
}

int envelopeCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    return peakCommand(args, out, err, TaskKind::Envelope);
}

namespace {

// The envelope's lines for the diagnosis: as --lines gives them, else chosen for the rate.
std::optional<int> linesOption(const ComputeArgs& a, const WorkbenchTask& task) {
    return a.extra.count("--lines") ? std::optional(task.transform.lines) : std::nullopt;
}

// What the verdicts were read from: "method bandmap 2812-4688 Hz", "method whitened",
// "method coherence, carriers 2906-3188 Hz", "band 2000-4000 Hz" (given), "spectrum".
std::string diagnosisSource(const TaskResult& r) {
    if (!r.record) {
        return "spectrum";
    }
    const Diagnosis& d = *r.diagnosis;
    const auto band = [&d] {
        return formatGeneral(std::round(d.band.low)) + "-" +
               formatGeneral(std::round(d.band.high)) + " Hz";
    };
    if (r.task.band) {
        return "band " + band();
    }
    const std::string method = "method " + std::string(termOf(kEnvelopeMethodTerms, d.method).key);
    switch (d.method) {
    case EnvelopeMethod::Whitened:
        return method;
    case EnvelopeMethod::Coherence:
        return method + ", carriers " + band();
    default:
        return method + " " + band();
    }
}

} // namespace

// One line per fault family, strongest evidence first: family, score, verdict, what was
// found. A waveform is judged by its envelope spectrum (the clearer of the most impulsive
// band's and the pre-whitened record's unless --band or --whiten says which), a text
// spectrum as it is.
int diagnoseCommand(const std::vector<std::string>& given, std::ostream& out, std::ostream& err) {
    if (given.size() < 2 || given[1].starts_with("--")) {
        throw UsageError{"missing FILE"};
    }
    std::vector<std::string> args;
    try {
        args = withShaftSpeed(given);
    } catch (const SpectrumFileError& e) {
        err << problemText(e.problem()) << '\n';
        return ExitFile;
    }
    const ComputeArgs a = parseCompute(
        args,
        {with(kTransformOptions, with({"--band", "--slip", "--method"}, kSpeedOptions)),
         with({"--whiten"}, kSpeedFlags)},
        2, true);
    const WorkbenchTask asked = taskOf(args[1], a, TaskKind::Envelope);
    ComputeOutcome c;
    if (const auto refused = computeOrRefuse(a, c, err)) {
        return *refused;
    }
    WorkbenchTask task =
        diagnosisTask(asked.path, asked.source, asked.transform, basesOf(c), asked.band,
                      asked.whiten, slipOption(a), linesOption(a, asked), asked.method);
    task.speed = speedOption(a);
    const TaskResult r = runTask(task);
    if (r.problem || !r.diagnosis) {
        err << (r.problem ? problemText(*r.problem) : std::string()) << '\n';
        return ExitFile;
    }
    if (r.contents) {
        requireOptionsApply(task, *r.contents, r.record || r.contents->record);
    }
    const bool assumed = noteReading(task, r, err);
    for (const FamilyEvidence& e : r.diagnosis->families) {
        out << faultFamily(e.family).key << '\t' << formatGeneral(std::round(e.score * 1000) / 1000)
            << '\t' << verdictKey(e.verdict) << '\t' << describeEvidence(e) << "; "
            << diagnosisSource(r) << "; " << cp1251ToUtf8(speedText(r.diagnosis->speed, false))
            << '\n';
    }
    if (assumed) {
        out.flush();
        noteVerdictsOnAssumedRate(task.path, err);
    }
    return ExitDone;
}

namespace {

// The workbench as the window would stand after opening the file with these options: the
// file's spectrum explained for the bearing, or the envelope of --band. Empty with the
// file's message written.
std::optional<int> openForReport(Workbench& doc, const WorkbenchTask& asked, const ComputeArgs& a,
                                 std::ostream& err) {
    WorkbenchTask open = doc.openTask(asked.path);
    open.source = asked.source;
    std::optional<FileProblem> problem = runThrough(doc, open);
    if (!problem && a.extra.count("--band") && !doc.showingEnvelope() && doc.hasRecord()) {
        problem = runThrough(doc, doc.envelopeTask(bandOption(a, "auto")));
    }
    if (problem) {
        err << problemText(*problem) << '\n';
        return ExitFile;
    }
    if (a.extra.count("--unit")) {
        doc.setStatedUnit(unitOption(a));
    }
    return std::nullopt;
}

// The window's settings as the options give them.
WorkbenchSettings reportSettings(const ComputeArgs& a, const WorkbenchTask& task) {
    WorkbenchSettings settings;
    settings.transform = task.transform;
    settings.peaks = static_cast<int>(wholeOption(a, "--peaks", "20", 1, kMaxPeakRows));
    settings.velocity = a.extra.count("--velocity") > 0;
    settings.whiten = a.extra.count("--whiten") > 0;
    settings.method = task.method;
    settings.slipPercent = slipOption(a);
    settings.speed = speedOption(a);
    if (const std::optional<Band> band = bandOption(a, "auto")) {
        settings.diagnosisBand = std::array{band->low, band->high};
    }
    settings.diagnosisLines = linesOption(a, task);
    settings.envelopeLines = settings.diagnosisLines; // an envelope reported is judged as shown
    // The span is the spectrum's, as the window's «Макс. частота» is: the diagnosis's
    // envelope keeps its own, so that the page says what the window says.
    return settings;
}

// The date of the measurement as --measured gives it; empty for the file's.
std::string measuredOption(const ComputeArgs& a) {
    if (!a.extra.count("--measured")) {
        return {};
    }
    const std::optional<std::string> measured = measurementDate(extraOr(a, "--measured", ""));
    if (!measured) {
        throw UsageError{
            "--measured takes the date of the measurement as DD.MM.YYYY or DD.MM.YYYY HH:MM"};
    }
    return *measured;
}

// The bearing and where it was measured as the options name them, and the date of now.
ReportContext reportContext(const ComputeArgs& a, std::ostream& err) {
    ComputeOutcome c;
    computeOrRefuse(a, c, err);
    const BearingInputs& in = c.validation.inputs;
    const std::time_t now = std::time(nullptr);
    char date[32];
    std::strftime(date, sizeof date, "%d.%m.%Y %H:%M", std::localtime(&now));
    return {extraOr(a, "--number", ""),
            geometryText(in.d, in.D, in.dw, in.Z, in.a),
            date,
            in.Fr,
            {extraOr(a, "--machine", ""), extraOr(a, "--point", "")},
            measuredOption(a)};
}

} // namespace

// The one-page PDF of the spectrum window for the file, the bearing and the options.
int reportCommand(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    if (args.size() < 2 || args[1].starts_with("--")) {
        throw UsageError{"missing FILE"};
    }
    std::vector<std::string> given;
    try {
        given = withShaftSpeed(args); // as diagnose: Fr from a file that states it
    } catch (const SpectrumFileError& e) {
        err << problemText(e.problem()) << '\n';
        return ExitFile;
    }
    const std::vector<std::string> options =
        with(kTransformOptions, {"--peaks", "--tolerance", "--max-harmonic", "--max-frequency",
                                 "--band", "--slip", "--method", "--out", "--number", "--averaging",
                                 "--averages", "--machine", "--point", "--measured"});
    const ComputeArgs a = parseCompute(
        given, {with(options, kSpeedOptions), with({"--velocity", "--whiten"}, kSpeedFlags)}, 2,
        true);
    const std::string out = extraOr(a, "--out", "");
    if (out.empty()) {
        throw UsageError{"missing option --out REPORT.pdf"};
    }
    const WorkbenchTask task = taskOf(given[1], a, TaskKind::Open);
    measuredOption(a); // refused before any file is read
    PeakSearch search;
    if (const auto refused = readPeakSearch(a, search, err)) {
        return *refused;
    }
    Workbench doc(reportSettings(a, task));
    doc.setBearing(WorkbenchBearing{*search.bases, search.parameters, a.precision});
    if (const auto failed = openForReport(doc, task, a, err)) {
        return *failed;
    }
    requireOptionsApply(task, *doc.shown(), doc.hasRecord());
    noteLayout(task.path, *doc.shown(), err);
    const Report report = makeReport(doc, reportContext(a, err));
    if (const int error = writeFileAtomically(out, reportPdfBytes(report, doc))) {
        err << problemText(writeFailure(out, error)) << '\n';
        return ExitFile;
    }
    if (doc.rateAssumed() && !doc.evidence().empty()) {
        noteVerdictsOnAssumedRate(task.path, err);
    }
    return ExitDone;
}

namespace {

// The record of a file as `levels` names it; a file that holds a spectrum is refused.
std::optional<Waveform> recordForLevels(const WorkbenchTask& task, std::ostream& err) {
    try {
        FileContents c = readSpectrumFile(task.path, task.source);
        requireOptionsApply(task, c, c.record.has_value());
        noteLayout(task.path, c, err);
        if (!c.record) {
            err << problemText({ProblemKind::Unsuited, displayName(task.path), "",
                                "в нём спектр, а уровни считают по записи сигнала"})
                << '\n';
        }
        return std::move(c.record);
    } catch (const SpectrumFileError& e) {
        err << problemText(e.problem()) << '\n';
        return std::nullopt;
    }
}

} // namespace

// The record's overall levels about its mean, one `name<TAB>value<TAB>unit` line each.
int levelsCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.size() < 2 || args[1].starts_with("--")) {
        throw UsageError{"missing FILE"};
    }
    const ComputeArgs a = parseCompute(
        args, {{"--channel", "--variable", "--rate", "--unit", "--text"}, {}}, 2, false);
    if (!a.geometry.empty()) {
        throw UsageError{"levels takes no bearing: the levels are the record's own"};
    }
    const WorkbenchTask task = taskOf(args[1], a, TaskKind::Open);
    const std::optional<Waveform> record = recordForLevels(task, err);
    if (!record) {
        return ExitFile;
    }
    if (record->samples.empty()) {
        err << problemText(
                   {ProblemKind::Unsuited, displayName(task.path), "", "в записи нет отсчётов"})
            << '\n';
        return ExitFile;
    }
    const std::string unit = unitName(withStatedUnit(record->units, unitOption(a)));
    const Levels l = RangeExtremes(record->samples).levels(0, record->samples.size());
    const std::pair<const char*, double> rows[] = {{"rms", l.rms},
                                                   {"peak", l.peak},
                                                   {"peak-to-peak", l.peakToPeak},
                                                   {"crest", l.crest},
                                                   {"kurtosis", l.kurtosis}};
    for (const auto& [name, value] : rows) {
        const bool dimensionless = name == std::string("crest") || name == std::string("kurtosis");
        out << name << '\t' << cp1251ToUtf8(formatGeneral(value)) << '\t'
            << (dimensionless ? "" : unit) << '\n';
    }
    return ExitDone;
}

namespace {

// The families' keys (the cage's own fault is not synthesised), or none.
std::optional<FaultFamily> faultOption(const ComputeArgs& a) {
    const std::string key = extraOr(a, "--fault", "");
    if (key == kNoFaultKey) {
        return std::nullopt;
    }
    const std::optional<FaultFamily> family = faultFamilyFromKey(key);
    if (!family || !synthesised(*family)) {
        throw UsageError{"--fault takes " + joinWords(synthFaultKeys(), ", ", " or ")};
    }
    return family;
}

// The signal's own settings; false when a number does not read.
bool readSynthSettings(const ComputeArgs& a, SynthSettings& s) {
    s.fault = faultOption(a);
    s.sampleRate = static_cast<double>(wholeOption(a, "--rate", "12000", 1000, 384000));
    s.seed = static_cast<std::uint64_t>(wholeOption(a, "--seed", "1", 0, 2147483647));
    const auto seconds = numberOption(a, "--seconds", "10");
    const auto resonance = numberOption(a, "--resonance", "3000");
    const auto noise = numberOption(a, "--noise", "0,1");
    if (!seconds || !resonance || !noise) {
        return false;
    }
    if (!(*seconds > 0) || *seconds * s.sampleRate > double(kMaxWaveformFrames)) {
        throw UsageError{"--seconds must be above 0 and give at most " +
                         std::to_string(kMaxWaveformFrames) + " samples"};
    }
    if (!(*resonance > 0) || *resonance >= s.sampleRate / 2) {
        throw UsageError{"--resonance must lie between 0 and half the rate"};
    }
    if (!(*noise >= 0)) {
        throw UsageError{"--noise must not be negative"};
    }
    s.seconds = *seconds, s.resonance = *resonance, s.noise = *noise;
    return true;
}

} // namespace

namespace {

// The series' records, one WAV each, named by the time a monitoring system would have made
// them: from 2026-01-01 00:00 on, `interval` minutes apart.
int writeSynthSeries(const ComputeArgs& a, const SynthSettings& bearing,
                     const std::filesystem::path& folder, std::ostream& err) {
    SynthSeries series;
    series.records = static_cast<int>(wholeOption(a, "--series", "40", 2, 100000));
    series.onset = static_cast<int>(
        wholeOption(a, "--onset", std::to_string(series.records / 2), 0, series.records));
    const long interval = wholeOption(a, "--interval", "10", 1, 525600);
    // The whole series is bounded as one record is: no disk filled by a mistyped count.
    if (double(series.records) * bearing.seconds * bearing.sampleRate >
        double(kMaxWaveformFrames)) {
        throw UsageError{"--series N with --seconds S gives at most " +
                         std::to_string(kMaxWaveformFrames) + " samples in all"};
    }
    std::error_code ec;
    std::filesystem::create_directories(folder, ec);
    if (ec || !std::filesystem::is_directory(folder)) {
        err << problemText(
                   writeFailure(folder, ec ? runtimeCodeFromErrno(ec.value()) : kFileAccessDenied))
            << '\n';
        return ExitFile;
    }
    const std::int64_t start = 1767225600; // 2026-01-01 00:00:00
    for (int i = 0; i < series.records; ++i) {
        std::string name = timeText(start + std::int64_t(i) * interval * 60);
        std::replace_if(
            name.begin(), name.end(), [](char c) { return c == '-' || c == ' ' || c == ':'; }, '.');
        const std::filesystem::path path = folder / (name + ".wav");
        const SynthSettings s = seriesRecord(bearing, series, i);
        if (const int error = writeFileAtomically(
                path, encodeWav(synthesize(s), static_cast<int>(s.sampleRate)))) {
            err << problemText(writeFailure(path, error)) << '\n';
            return ExitFile;
        }
    }
    return ExitDone;
}

} // namespace

int synthCommand(const std::vector<std::string>& args, std::ostream& err) {
    const ComputeArgs a =
        parseCompute(args, {{"--fault", "--out", "--rate", "--seconds", "--resonance", "--noise",
                             "--seed", "--series", "--onset", "--interval"},
                            {}});
    faultOption(a);
    const std::string outPath = extraOr(a, "--out", "");
    if (outPath.empty()) {
        throw UsageError{"missing option --out"};
    }
    const bool series = a.extra.count("--series") > 0;
    if (!series && (a.extra.count("--onset") || a.extra.count("--interval"))) {
        throw UsageError{"--onset and --interval are a series' (--series N)"};
    }
    SynthSettings s;
    if (!readSynthSettings(a, s)) {
        err << text::kEnterDataCorrectly << '\n';
        return ExitUnreadable;
    }
    ComputeOutcome c;
    if (const auto refused = computeOrRefuse(a, c, err)) {
        return *refused;
    }
    s.Fr = c.validation.inputs.Fr;
    s.Fo = c.results[Fo], s.Fi = c.results[Fi], s.Fw = c.results[Fw], s.Fq = c.results[Fq];
    if (series) {
        return writeSynthSeries(a, s, outPath, err);
    }
    const int error =
        writeFileAtomically(outPath, encodeWav(synthesize(s), static_cast<int>(s.sampleRate)));
    if (error != 0) {
        err << problemText(writeFailure(outPath, error)) << '\n';
        return ExitFile;
    }
    return ExitDone;
}

} // namespace orbistan
