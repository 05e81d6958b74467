#include "spectrum/workbench/workbench.h"

#include "spectrum/dsp/band_map.h"
#include "spectrum/io/text_file.h"

#include <algorithm>
#include <cmath>
#include <functional>

namespace orbistan {

const Spectrum* TaskResult::spectrum() const {
    if (envelope) {
        return &*envelope;
    }
    return contents && contents->spectrum ? &*contents->spectrum : nullptr;
}

namespace {

// The record of an envelope's task: the one given, or the file's; none (and the file's
// contents in the result) when the file holds a spectrum.
std::shared_ptr<const Waveform> recordOf(const WorkbenchTask& task, TaskResult& r,
                                         const Progress& progress) {
    if (task.record) {
        return task.record;
    }
    FileContents c = readSpectrumFile(task.path, task.source, progress);
    if (!c.record) {
        if (!task.spectrumIfNoRecord) {
            throw SpectrumFileError({ProblemKind::Unsuited, "", "",
                                     "огибающую строят по записи сигнала, а это спектр"});
        }
        r.contents = std::move(c);
        return nullptr;
    }
    auto record = std::make_shared<const Waveform>(std::move(*c.record));
    c.record.reset();
    r.contents = std::move(c);
    return record;
}

// Which of two envelope spectra shows its first family more clearly.
bool clearer(const std::vector<FamilyEvidence>& a, const std::vector<FamilyEvidence>& b) {
    return a.front().verdict != b.front().verdict ? a.front().verdict > b.front().verdict
                                                  : a.front().score > b.front().score;
}

// The speeds the record may run at, and the bearing as typed: the families are judged at
// each and the clearest kept, one speed for every family.
struct Speeds {
    SearchBases typed;
    std::vector<ShaftSpeed> candidates;
    double slipPercent = kDefaultSlipPercent;
};

Speeds typedOnly(const WorkbenchTask& task) {
    return {*task.judgeBy, {typedSpeed(task.judgeBy->Fr)}, task.slipPercent};
}

// The families judged at the speed they show most clearly, and which that was.
struct Verdicts {
    std::vector<FamilyEvidence> families;
    std::size_t speed = 0;
};

Verdicts judgeAtSpeeds(const Spectrum& s, const Speeds& speeds) {
    Verdicts best;
    const auto tries = static_cast<int>(speeds.candidates.size());
    for (std::size_t i = 0; i < speeds.candidates.size(); ++i) {
        const ShaftSpeed& v = speeds.candidates[i];
        std::vector<FamilyEvidence> e = rankEvidence(
            s, atShaftSpeed(speeds.typed, v.hz), speeds.slipPercent + speedMarginPercent(v), tries);
        // The later speeds are the record's own: where the families cannot tell them from
        // the speed typed, the record's is kept.
        if (i == 0 || !clearer(best.families, e)) {
            best = {std::move(e), i};
        }
    }
    return best;
}

// The highest family the envelope must hold: the bearing's, else the usual bearings'.
double highestFault(const WorkbenchTask& task) {
    return task.judgeBy ? std::max({task.judgeBy->Fo, task.judgeBy->Fi, 2 * task.judgeBy->Fw,
                                    task.judgeBy->Fq})
                        : kDefaultHighestFault;
}

// An envelope spectrum one method made, with its band.
struct Made {
    Spectrum envelope;
    Band band;
    EnvelopeMethod method;
};

// The most impulsive band's envelope.
Made ofBandMap(const WorkbenchTask& task, const Waveform& w, TaskResult& r,
               const std::function<Progress(double, double)>& part) {
    r.bandMap = bandMap(w.samples, w.sampleRate, highestFault(task), part(0, 0.67));
    if (!(r.bandMap->bestMeasure > 0)) { // silence, or a record too short for any band
        throw SpectrumFileError({ProblemKind::Unsuited, "", "",
                                 "полоса для огибающей не выбрана: ни в одной полосе нет сигнала"});
    }
    const Band band = r.bandMap->best;
    return {envelopeSpectrum(w.samples, w.sampleRate, band, task.transform, false, part(0.67, 1)),
            band, EnvelopeMethod::BandMap};
}

constexpr double kCyclicLinesPerShaftTurn = 60;
constexpr double kCyclicResolution = 0.5; // Hz, without a shaft speed

// The enhanced envelope spectrum of the carriers whose modulation recurs most, as far as
// the families' harmonics the evidence weighs and their sidebands, at the envelope's
// resolution. Of the record pre-whitened: two of a machine's tones in two carriers are
// perfectly coherent at their difference, and would be taken for a modulation.
Made ofCoherence(const WorkbenchTask& task, const Waveform& w, TaskResult& r,
                 const std::function<Progress(double, double)>& part) {
    const double top = std::min(w.sampleRate / 2, (kEvidenceHarmonics + 1) * highestFault(task));
    // Finer than the envelope's: the coherence's floor falls as its lines narrow, down to
    // where the elements' slip spreads a line over several (docs/real-data.md).
    const double resolution = task.judgeBy && task.judgeBy->Fr > 0
                                  ? task.judgeBy->Fr / kCyclicLinesPerShaftTurn
                                  : kCyclicResolution;
    fft::InPlace white = preWhitened(w.samples);
    auto map = std::make_shared<const CoherenceMap>(
        spectralCoherence(std::span<const double>(white.samples(), w.samples.size()), w.sampleRate,
                          top, resolution, part(0.1, 1)));
    const Band band = task.band ? *task.band : mostCyclicBand(*map, top).band;
    Made made{enhancedEnvelopeSpectrum(*map, band), band, EnvelopeMethod::Coherence};
    r.coherence = std::move(map);
    return made;
}

Made byMethod(EnvelopeMethod method, const WorkbenchTask& task, const Waveform& w, TaskResult& r,
              const std::function<Progress(double, double)>& part) {
    switch (method) {
    case EnvelopeMethod::Whitened: {
        const Band whole{0, w.sampleRate / 2};
        return {envelopeSpectrum(w.samples, w.sampleRate, whole, task.transform, true, part(0, 1)),
                whole, method};
    }
    case EnvelopeMethod::Coherence:
        return ofCoherence(task, w, r, part);
    default:
        return ofBandMap(task, w, r, part);
    }
}

// The method's envelope; for Best, with a bearing to judge by, each method's that Best
// weighs, the clearest kept (on the public bearing records no method is best everywhere:
// docs/real-data.md), else the band map's. The evidence of the envelope kept goes to
// `judged`, when asked, so that it is not weighed again.
void chooseEnvelope(const WorkbenchTask& task, const Waveform& w, TaskResult& r,
                    const std::function<Progress(double, double)>& part, const Speeds* speeds,
                    Verdicts* judged) {
    std::vector<EnvelopeMethod> methods{task.method};
    if (task.method == EnvelopeMethod::Best) {
        methods = task.judgeBy ? bestMethods() : std::vector{EnvelopeMethod::BandMap};
    }
    std::optional<Made> kept;
    Verdicts keptEvidence;
    const double share = 1.0 / static_cast<double>(methods.size());
    for (std::size_t i = 0; i < methods.size(); ++i) {
        const double from = share * static_cast<double>(i);
        Made made = byMethod(methods[i], task, w, r, [&part, from, share](double a, double b) {
            return part(from + share * a, from + share * b);
        });
        if (!speeds) {
            kept = std::move(made);
            break;
        }
        Verdicts evidence = judgeAtSpeeds(made.envelope, *speeds);
        if (!kept || clearer(evidence.families, keptEvidence.families)) {
            kept = std::move(made);
            keptEvidence = std::move(evidence);
        }
    }
    r.envelope = std::move(kept->envelope);
    r.band = kept->band;
    r.method = kept->method;
    if (judged && speeds) {
        *judged = std::move(keptEvidence);
    }
}

// The envelope the task asks for; judged at `speeds`, or at the speed typed, where there is
// a bearing to judge by.
void runEnvelope(const WorkbenchTask& task, TaskResult& r, const Progress& progress,
                 std::optional<Speeds> speeds = std::nullopt, Verdicts* judged = nullptr) {
    const double from = task.record ? 0 : 0.4;
    const std::function<Progress(double, double)> part = [&progress, from](double a, double b) {
        return Progress([&progress, from, a,
                         b](double f) { progress.step(from + (1 - from) * (a + (b - a) * f)); },
                        nullptr);
    };
    const std::shared_ptr<const Waveform> record =
        recordOf(task, r, Progress([&](double f) { progress.step(from * f); }, nullptr));
    if (!record) {
        return;
    }
    r.record = record;
    WorkbenchTask t = task;
    if (t.linesForRate) {
        t.transform.lines = envelopeLines(record->sampleRate);
    }
    if ((t.band || t.whiten) && t.method != EnvelopeMethod::Coherence) {
        r.band = t.band ? *t.band : Band{0, record->sampleRate / 2};
        r.method = t.whiten ? EnvelopeMethod::Whitened : EnvelopeMethod::BandMap;
        r.envelope = envelopeSpectrum(record->samples, record->sampleRate, r.band, t.transform,
                                      t.whiten, part(0, 1));
    } else {
        if (!speeds && t.judgeBy) {
            speeds = typedOnly(t);
        }
        chooseEnvelope(t, *record, r, part, speeds ? &*speeds : nullptr, judged);
    }
    r.envelope->source = displayName(task.path);
}

Progress progressPart(const Progress& progress, double from, double to) {
    return Progress([&progress, from, to](double f) { progress.step(from + (to - from) * f); },
                    nullptr);
}

// The record's envelope made as for the diagnosis and judged; a spectrum file's spectrum
// judged as it is. Both at the shaft's speed as the record (or the spectrum) shows it, one
// speed for every family, found from the shaft's own lines before any family is looked at.
void runDiagnosis(const WorkbenchTask& asked, TaskResult& r, const Progress& progress) {
    WorkbenchTask task = asked;
    const double read = task.record ? 0 : 0.3, found = read + 0.1;
    task.record = recordOf(asked, r, progressPart(progress, 0, read));
    if (!task.judgeBy) {
        if (task.record) {
            runEnvelope(task, r, progressPart(progress, found, 1));
        }
        return;
    }
    Speeds speeds = typedOnly(task);
    if (task.record) {
        speeds.candidates = findShaftSpeeds(*task.record, task.judgeBy->Fr, task.speed,
                                            progressPart(progress, read, found));
    } else if (r.contents && r.contents->spectrum) {
        speeds.candidates = speedsOfSpectrum(*r.contents->spectrum, task.judgeBy->Fr, task.speed);
    }
    if (speeds.candidates.size() == 1) { // the envelope's band chosen for the speed found
        task.judgeBy = atShaftSpeed(speeds.typed, speeds.candidates.front().hz);
    }
    Verdicts weighed;
    if (task.record) {
        runEnvelope(task, r, progressPart(progress, found, 1), speeds, &weighed);
    }
    const Spectrum* judged = r.spectrum();
    if (!judged) {
        return;
    }
    if (weighed.families.empty()) { // a band given, or a spectrum file: weighed here
        weighed = judgeAtSpeeds(*judged, speeds);
    }
    const ShaftSpeed& speed = speeds.candidates[weighed.speed];
    r.diagnosis = Diagnosis{std::move(weighed.families),
                            r.band,
                            r.method,
                            judged->resolution,
                            speed,
                            atShaftSpeed(speeds.typed, speed.hz),
                            task.slipPercent + speedMarginPercent(speed)};
}

Unit statedFor(const std::map<std::string, Unit>& units, const std::string& format) {
    const auto it = units.find(format);
    return it == units.end() ? Unit::Unknown : it->second;
}

// The spectrum the task gives, as its showAs asks it shown, with its peaks.
void prepare(TaskResult& r) {
    const Spectrum* s = r.spectrum();
    if (!r.task.showAs || !s || r.task.kind == TaskKind::Overlay) {
        return;
    }
    const ShowAs& as = *r.task.showAs;
    PreparedSpectrum& p = r.prepared.emplace();
    const bool envelope = r.task.kind == TaskKind::Envelope;
    p.stated = statedFor(as.statedUnits, envelope ? as.format : r.contents->format);
    p.velocity = as.velocity && !envelope && velocityOffered(*s, p.stated);
    p.velocityLowCut = as.velocityLowCut;
    p.peakCount = as.peaks;
    p.displayed = presentSpectrum(*s, p.stated, p.velocity, p.velocityLowCut);
    p.peaks = findPeaks(p.displayed, static_cast<std::size_t>(as.peaks));
    p.extremes = RangeExtremes(p.displayed.amplitude);
}

} // namespace

std::vector<EnvelopeMethod> bestMethods() {
    return {EnvelopeMethod::BandMap, EnvelopeMethod::Whitened};
}

TaskResult runTask(WorkbenchTask task, const Progress& progress) {
    TaskResult r;
    r.task = std::move(task);
    const WorkbenchTask& t = r.task;
    try {
        if (t.kind == TaskKind::RecordEnvelope) {
            const Waveform& w = *t.record;
            const Band band =
                t.band ? *t.band : suggestBand(w.samples, w.sampleRate, progress).band;
            r.timeEnvelope = std::make_shared<const TimeEnvelope>(
                band, envelopeSignal(w.samples, w.sampleRate, band, progress));
            r.record = t.record;
        } else if (t.kind == TaskKind::Envelope) {
            runEnvelope(t, r, progress);
        } else if (t.kind == TaskKind::Diagnosis) {
            runDiagnosis(t, r, progress);
        } else {
            r.contents = openSpectrumFile(t.path, t.source, t.transform, progress);
            if (r.contents->record && t.kind != TaskKind::Overlay) {
                // Summarised once, here, so that the waveform is drawn and measured at once.
                r.summary.emplace(r.contents->record->samples,
                                  Progress([&progress](double) { progress.step(1); }, nullptr));
            }
        }
        prepare(r);
    } catch (const SpectrumFileError& e) {
        r.problem = e.of(displayName(t.path)).problem(); // the envelope's own checks name none
    } catch (const SpectrumCancelled&) {
        r.cancelled = true;
    } catch (const std::bad_alloc&) {
        r.problem = {ProblemKind::TooLarge, displayName(t.path), "", kNoMemoryToRead};
    }
    return r;
}

bool velocityOffered(const Spectrum& s, Unit stated) {
    return accelerationToMillimetres(withStatedUnit(s.units, stated)).has_value();
}

Spectrum presentSpectrum(const Spectrum& s, Unit stated, bool velocity, double lowCut) {
    Spectrum out = s;
    out.units = withStatedUnit(s.units, stated);
    if (velocity) {
        if (std::optional<Spectrum> v = toVelocity(out, lowCut)) {
            return std::move(*v);
        }
    }
    return out;
}

WorkbenchTask diagnosisTask(const std::filesystem::path& path, const SourceChoice& source,
                            TransformSettings transform, const SearchBases& bases,
                            std::optional<Band> band, bool whiten, double slipPercent,
                            std::optional<int> lines, EnvelopeMethod method) {
    WorkbenchTask t;
    t.kind = TaskKind::Diagnosis;
    t.path = path;
    t.source = source;
    t.transform = transform;
    t.band = band;
    t.whiten = whiten;
    // A band or whitening asked for makes the envelope whatever the method.
    t.method = band || whiten ? EnvelopeMethod::Best : method;
    t.judgeBy = bases; // with neither band nor whitening: the method's, or the clearest
    t.slipPercent = slipPercent;
    t.linesForRate = !lines;
    t.transform.lines = lines.value_or(t.transform.lines);
    t.spectrumIfNoRecord = true;
    return t;
}

// ---- Requests -----------------------------------------------------------------------------

Workbench::Workbench(WorkbenchSettings settings) : settings_(std::move(settings)) {}

WorkbenchTask Workbench::openTask(const std::filesystem::path& path) const {
    WorkbenchTask t;
    t.kind = TaskKind::Open;
    t.path = path;
    t.transform = settings_.transform;
    t.source.assumedRates = settings_.statedRates;
    if (const auto own = settings_.fileRates.find(path.string());
        own != settings_.fileRates.end()) {
        t.source.rate = own->second; // given for this very file before
    }
    if (const auto folder = settings_.folderRates.find(path.parent_path().string());
        folder != settings_.folderRates.end()) {
        t.source.folderRate = folder->second; // a text record's, given for its folder
    }
    t.showAs = showAs({});
    return t;
}

WorkbenchTask Workbench::overlayTask(const std::filesystem::path& path) const {
    WorkbenchTask t = openTask(path);
    t.kind = TaskKind::Overlay;
    t.showAs.reset();
    return t;
}

ShowAs Workbench::showAs(const std::string& format) const {
    return {settings_.statedUnits, format, settings_.velocity, settings_.velocityLowCut,
            settings_.peaks};
}

// The file shown read again: the same choices (a rate given for it included) but for those
// that change.
WorkbenchTask Workbench::reopenTask(int source) const {
    WorkbenchTask t = openTask(shownPath_);
    t.kind = TaskKind::Reopen;
    t.source.index = source;
    t.source.variable.clear();
    t.source.rate = shownChoice_.rate;
    t.source.textLayout = shownChoice_.textLayout;
    return t;
}

std::optional<WorkbenchTask> Workbench::timeEnvelopeTask() const {
    const std::optional<Band> band =
        envelope_ ? std::optional(envelopeBand_) : std::optional<Band>();
    if (!record_ || (timeEnvelope_ && (!band || timeEnvelope_->band == *band))) {
        return std::nullopt;
    }
    WorkbenchTask t = taskOnRecord(TaskKind::RecordEnvelope);
    t.band = band;
    return t;
}

WorkbenchTask Workbench::taskOnRecord(TaskKind kind) const {
    WorkbenchTask t;
    t.kind = kind;
    t.path = shownPath_;
    t.source = shownChoice_;
    t.record = record_;
    return t;
}

std::optional<WorkbenchTask> Workbench::envelopeTask(std::optional<Band> band) const {
    if (!record_) {
        return std::nullopt;
    }
    WorkbenchTask t = taskOnRecord(TaskKind::Envelope);
    // At its own lines and span: by default the diagnosis's resolution.
    t.transform = envelopeTransform();
    t.transform.span = settings_.envelopeSpan;
    t.linesForRate = !settings_.envelopeLines;
    t.transform.lines = settings_.envelopeLines.value_or(t.transform.lines);
    t.band = band;
    t.whiten = settings_.whiten;
    t.slipPercent = settings_.slipPercent;
    t.showAs = showAs(shown_->format);
    if (!band && !t.whiten && bearing_) {
        t.judgeBy = judgedBases(); // the clearer of the two methods, at the speed found
    }
    return t;
}

WorkbenchChange Workbench::changeSettings(const WorkbenchSettings& s, int source) {
    WorkbenchChange change;
    const WorkbenchSettings before = settings_;
    const bool sourceChanged = shown_ && source != shown_->source &&
                               source < static_cast<int>(shown_->sources.size()) && source >= 0;
    if (s == before && !sourceChanged) {
        return change;
    }
    settings_ = s;
    change.settings = s != before;
    const bool envelopeResolution =
        s.envelopeLines != before.envelopeLines || s.envelopeSpan != before.envelopeSpan;
    if (s.whiten != before.whiten || s.slipPercent != before.slipPercent ||
        s.diagnosisBand != before.diagnosisBand || s.diagnosisLines != before.diagnosisLines ||
        s.method != before.method || s.speed != before.speed) {
        forgetDiagnosis();
    }
    // A record transformed anew, or another source read (a universal file's datasets hold
    // spectra: another dataset is another spectrum).
    if (sourceChanged || (record_ && s.transform != before.transform)) {
        change.next = reopenTask(sourceChanged ? source : shown_->source);
        return change;
    }
    if (s.velocityLowCut != before.velocityLowCut && velocity()) {
        change.shown = change.overlay = true;
        refresh();
        return change;
    }
    if ((s.whiten != before.whiten || envelopeResolution) && showingEnvelope_) {
        change.next = envelopeAgain();
        return change;
    }
    change.lines = true;
    if (s.peaks != before.peaks) {
        findLines();
    } else {
        explainLines();
    }
    return change;
}

WorkbenchChange Workbench::setRate(double rate) {
    WorkbenchChange change;
    if (!record_) {
        return change;
    }
    if (rate == record_->sampleRate) {
        if (rateAssumed()) { // the rate assumed, confirmed: this file's own from now on
            shownChoice_.rate = rate;
            settings_.fileRates[shownPath_.string()] = rate;
            if (shown_->format == textFileFormat().key) {
                settings_.folderRates[shownPath_.parent_path().string()] = rate;
            }
            change.settings = change.lines = change.controls = true;
        }
        return change;
    }
    try {
        requireSampleRate(rate, displayName(shownPath_));
    } catch (const SpectrumFileError& e) {
        change.problem = e.problem();
        change.controls = true;
        return change;
    }
    WorkbenchTask t = reopenTask(shown_->source);
    t.source.rate = rate; // this file's own
    if (!shown_->statedRate) {
        // Remembered for this file; offered, as assumed, for the next that states none; a
        // text record's for every record of its folder.
        settings_.fileRates[shownPath_.string()] = rate;
        settings_.statedRates[shown_->format] = rate;
        if (shown_->format == textFileFormat().key) {
            settings_.folderRates[shownPath_.parent_path().string()] = rate;
        }
        t.source.assumedRates = settings_.statedRates;
        change.settings = true;
    }
    change.next = std::move(t);
    return change;
}

WorkbenchChange Workbench::readTextAs(TextLayout layout) {
    WorkbenchChange change;
    if (!shown_ || shown_->format != textFileFormat().key) {
        return change;
    }
    WorkbenchTask t = reopenTask(0);
    t.kind = TaskKind::Open; // another kind of content: shown from its whole range
    t.source.textLayout = layout;
    change.next = std::move(t);
    return change;
}

WorkbenchChange Workbench::showEnvelope(bool on, std::optional<Band> typed) {
    WorkbenchChange change;
    if (on && !envelope_) {
        change.next = envelopeTask(typed);
        return change;
    }
    if (showingEnvelope_ != (on && envelope_.has_value())) {
        showingEnvelope_ = on && envelope_;
        change.shown = true;
        refresh();
    }
    return change;
}

// The envelope's transform as the diagnosis makes it: the record's window and scaling, the
// whole of the band's envelope, its segments averaged (the verdicts were tuned on that).
TransformSettings diagnosisTransform(TransformSettings t) {
    t.span = 0;
    t.averaging = Averaging::Auto;
    t.averages = 0;
    return t;
}

TransformSettings Workbench::envelopeTransform() const {
    return diagnosisTransform(shownTransform_);
}

std::optional<WorkbenchTask> Workbench::pendingDiagnosis() const {
    if (!record_ || !bearing_ || diagnosis_ || !diagnosisFailure_.empty()) {
        return std::nullopt;
    }
    const std::optional<Band> band =
        settings_.diagnosisBand
            ? std::optional(Band{(*settings_.diagnosisBand)[0], (*settings_.diagnosisBand)[1]})
            : std::nullopt;
    WorkbenchTask t = diagnosisTask(shownPath_, shownChoice_, envelopeTransform(), bearing_->bases,
                                    band, settings_.whiten, settings_.slipPercent,
                                    settings_.diagnosisLines, settings_.method);
    t.speed = settings_.speed;
    t.record = record_;
    return t;
}

std::optional<WorkbenchTask> Workbench::coherenceTask(std::optional<Band> carriers) const {
    std::optional<WorkbenchTask> t = envelopeTask(carriers);
    if (t) {
        t->method = EnvelopeMethod::Coherence;
        t->whiten = false;
        t->judgeBy = bearing_ ? std::optional(judgedBases()) : std::nullopt;
    }
    return t;
}

std::optional<WorkbenchTask> Workbench::envelopeAgain() const {
    const std::optional<Band> band =
        envelopeWasChosen_ ? std::nullopt : std::optional(envelopeBand_);
    return envelopeMethod_ == EnvelopeMethod::Coherence && !settings_.whiten ? coherenceTask(band)
                                                                             : envelopeTask(band);
}

WorkbenchChange Workbench::chooseCarriers(Band carriers) {
    WorkbenchChange change;
    if (!coherence_ || !(carriers.low < carriers.high)) {
        return change;
    }
    std::string source = envelope_ ? envelope_->source : displayName(shownPath_);
    envelope_ = enhancedEnvelopeSpectrum(*coherence_, carriers);
    envelope_->source = std::move(source);
    envelopeBand_ = carriers;
    envelopeMethod_ = EnvelopeMethod::Coherence;
    envelopeWasChosen_ = false;
    showingEnvelope_ = true;
    change.shown = change.controls = true;
    refresh();
    return change;
}

WorkbenchChange Workbench::bandTyped(Band band) {
    if (!(band.low < band.high) ||
        (envelope_ && band.low == envelopeBand_.low && band.high == envelopeBand_.high)) {
        return {};
    }
    if (showingEnvelope_ && envelopeMethod_ == EnvelopeMethod::Coherence && coherence_) {
        return chooseCarriers(band); // the coherence's carriers, from its map
    }
    WorkbenchChange change;
    change.next = envelopeTask(band);
    return change;
}

WorkbenchChange Workbench::setVelocity(bool on) {
    WorkbenchChange change;
    if (settings_.velocity != on) {
        settings_.velocity = on;
        change.settings = true;
        change.shown = change.overlay = shown_.has_value();
        refresh();
    }
    return change;
}

void Workbench::setSession(const WorkbenchSession& session) {
    settings_.session = session;
}

WorkbenchChange Workbench::setStatedUnit(Unit unit) {
    WorkbenchChange change;
    if (!shown_ || fileStatesUnit() || statedUnit() == unit) {
        return change;
    }
    if (unit == Unit::Unknown) {
        settings_.statedUnits.erase(shown_->format);
    } else {
        settings_.statedUnits[shown_->format] = unit;
    }
    change.shown = change.overlay = change.settings = true;
    refresh();
    return change;
}

WorkbenchChange Workbench::clearOverlay() {
    overlay_.reset();
    overlayDisplayed_.reset();
    WorkbenchChange change;
    change.overlay = true;
    return change;
}

bool Workbench::setBearing(std::optional<WorkbenchBearing> bearing) {
    if (bearing == bearing_) {
        return false;
    }
    if (!bearing || !bearing_ || bearing->bases != bearing_->bases) {
        forgetDiagnosis(); // the search's fields alone judge nothing anew
    }
    bearing_ = std::move(bearing);
    explainLines();
    return true;
}

// ---- Results ------------------------------------------------------------------------------

WorkbenchChange Workbench::apply(TaskResult r) {
    if (r.cancelled || r.problem) {
        return applyFailure(r);
    }
    if (r.task.kind == TaskKind::Envelope) {
        return applyEnvelope(std::move(r));
    }
    if (r.task.kind == TaskKind::Diagnosis) {
        return applyDiagnosis(std::move(r));
    }
    if (r.task.kind == TaskKind::RecordEnvelope) {
        WorkbenchChange change;
        if (r.task.record == record_) { // not one of a record no longer shown
            timeEnvelope_ = std::move(r.timeEnvelope);
            change.waveform = true;
        }
        return change;
    }
    return applyOpened(std::move(r));
}

// A failed or cancelled job leaves what was shown, and the controls go back to it. A
// diagnosis that failed says why in its place and is not asked for again until what it
// judges changes.
WorkbenchChange Workbench::applyFailure(const TaskResult& r) {
    WorkbenchChange change;
    if (r.task.kind == TaskKind::Diagnosis) {
        if (r.task.record == record_) {
            diagnosisFailure_ = r.cancelled ? "отменён" : problemText(*r.problem);
            change.lines = true;
            explainLines();
        }
        return change;
    }
    change.problem = r.problem;
    change.controls = true;
    if (r.task.kind == TaskKind::Envelope && r.task.method == EnvelopeMethod::Coherence &&
        r.task.record == record_) {
        coherenceFailure_ = r.cancelled ? "отменено" : problemText(*r.problem);
    }
    if (r.task.kind == TaskKind::Reopen || r.task.kind == TaskKind::Open) {
        if (shown_ && record_ && settings_.transform != shownTransform_) {
            settings_.transform = shownTransform_;
            change.settings = true;
        }
    }
    return change;
}

WorkbenchChange Workbench::applyDiagnosis(TaskResult r) {
    WorkbenchChange change;
    // Only for the record and bearing it was asked for: another may be shown by now.
    if (r.task.record != record_ || !bearing_ || !r.task.judgeBy ||
        *r.task.judgeBy != bearing_->bases || !r.diagnosis) {
        return change;
    }
    diagnosis_ = std::move(r.diagnosis);
    if (r.coherence && !coherence_) { // made for the diagnosis: the map is the record's
        coherence_ = std::move(r.coherence);
        change.controls = true;
    }
    change.lines = true;
    explainLines();
    return change;
}

void Workbench::forgetDiagnosis() {
    diagnosis_.reset();
    diagnosisFailure_.clear();
}

WorkbenchChange Workbench::applyEnvelope(TaskResult r) {
    WorkbenchChange change;
    envelope_ = std::move(r.envelope);
    envelopeBand_ = r.band;
    envelopeMethod_ = r.method;
    envelopeWasChosen_ = !r.task.band;
    if (r.bandMap) {
        bandMap_ = std::move(r.bandMap);
    }
    if (r.coherence) {
        coherence_ = std::move(r.coherence);
        coherenceFailure_.clear();
    }
    showingEnvelope_ = true;
    change.shown = change.controls = true;
    change.prepared = refresh(std::move(r.prepared));
    return change;
}

WorkbenchChange Workbench::applyOpened(TaskResult r) {
    WorkbenchChange change;
    FileContents& c = *r.contents;
    if (r.task.kind == TaskKind::Overlay) {
        overlay_ = std::move(c);
        overlay_->record.reset(); // only its spectrum is drawn
        change.overlay = true;
        refreshOverlay();
        return change;
    }
    const bool envelopeWanted = r.task.kind == TaskKind::Reopen && showingEnvelope_;
    record_ = c.record ? std::make_shared<const Waveform>(std::move(*c.record)) : nullptr;
    c.record.reset();
    recordSummary_ = std::move(r.summary);
    timeEnvelope_.reset();
    if (record_ && recordSummary_) {
        recordSummary_->rebind(record_->samples);
    }
    shown_ = std::move(c);
    shownPath_ = r.task.path;
    shownChoice_ = r.task.source;
    shownTransform_ = r.task.transform;
    forgetDiagnosis();
    envelope_.reset();
    bandMap_.reset();
    coherence_.reset();
    coherenceFailure_.clear();
    showingEnvelope_ = false;
    rememberFolder(r.task.path, change);
    change.shown = change.controls = true;
    change.keepRange = r.task.kind == TaskKind::Reopen;
    if (r.task.kind == TaskKind::Open && shown_->shaftRpm) {
        change.shaftSpeed = *shown_->shaftRpm / 60; // the speed it was recorded at
    }
    if (envelopeWanted && record_) { // the record anew: so is its envelope
        change.next = envelopeAgain();
    }
    change.prepared = refresh(std::move(r.prepared));
    return change;
}

void Workbench::rememberFolder(const std::filesystem::path& path, WorkbenchChange& change) {
    const std::string folder = path.parent_path().string();
    if (settings_.folder != folder && folder.find_first_of("\r\n") == std::string::npos) {
        settings_.folder = folder;
        change.settings = true;
    }
}

// ---- State --------------------------------------------------------------------------------

Unit Workbench::statedUnit() const {
    if (!shown_) {
        return Unit::Unknown;
    }
    return statedFor(settings_.statedUnits, shown_->format);
}

bool Workbench::fileStatesUnit() const {
    return shown_ && shown_->spectrum && shown_->spectrum->units.unit != Unit::Unknown;
}

bool Workbench::velocityOffered() const {
    return shown_ && !showingEnvelope_ &&
           orbistan::velocityOffered(*shown_->spectrum, statedUnit());
}

int Workbench::markerLineCount() const {
    int count = 0;
    for (const std::vector<double>& lines : markers_) {
        count += static_cast<int>(lines.size());
    }
    return count;
}

std::optional<std::pair<double, double>> Workbench::extremesBetween(double from, double to) const {
    if (!shown_) {
        return std::nullopt;
    }
    const std::vector<double>& f = displayed_.frequency;
    const auto first =
        std::max(static_cast<std::size_t>(std::lower_bound(f.begin(), f.end(), from) - f.begin()),
                 firstResolvableLine(displayed_));
    const auto last =
        static_cast<std::size_t>(std::upper_bound(f.begin(), f.end(), to) - f.begin());
    if (first >= last) {
        return std::nullopt;
    }
    return extremes_.over(first, last);
}

std::optional<double> Workbench::sampleRate() const {
    return record_ ? std::optional(record_->sampleRate) : std::nullopt;
}

bool Workbench::rateAssumed() const {
    return record_ && !shown_->statedRate && !shownChoice_.rate && !shown_->rateGiven;
}

std::string Workbench::diagnosisHeading() const {
    if (!shown_ || !bearing_) {
        return {};
    }
    if (!record_) {
        return "Диагноз по спектру";
    }
    if (!diagnosisFailure_.empty()) {
        return "Диагноз не поставлен: " + diagnosisFailure_;
    }
    if (!diagnosis_) {
        return "Диагноз вычисляется…";
    }
    const Band& b = diagnosis_->band;
    Spectrum spacing;
    spacing.resolution = diagnosis_->resolution;
    spacing.frequency = {0, diagnosis_->resolution};
    const std::string step = lineSpacingText(spacing);
    const std::string band =
        std::to_string(std::lround(b.low)) + "–" + std::to_string(std::lround(b.high)) + " Гц, ";
    if (diagnosis_->method == EnvelopeMethod::Coherence) {
        return "Диагноз по когерентности, несущие " + band + step.substr(0, step.find(", до"));
    }
    return std::string("Диагноз по огибающей ") +
           (diagnosis_->method == EnvelopeMethod::Whitened ? "выбеленного сигнала " : "") + band +
           step.substr(0, step.find(", до")); // "шаг 1,46 Гц"
}

std::optional<double> Workbench::refinedShaftSpeed() const {
    if (!judged_ || judged_->speed.source != SpeedSource::Spectrum) {
        return std::nullopt;
    }
    return judged_->speed.hz;
}

SearchBases Workbench::judgedBases() const {
    return judged_ ? judged_->bases : bearing_ ? bearing_->bases : SearchBases{};
}

bool Workbench::refresh(std::optional<PreparedSpectrum> prepared) {
    if (!shown_) {
        return false;
    }
    const bool fits = prepared && prepared->stated == statedUnit() &&
                      prepared->velocity == velocity() && prepared->peakCount == settings_.peaks &&
                      prepared->velocityLowCut == settings_.velocityLowCut;
    if (fits) {
        displayed_ = std::move(prepared->displayed);
        peaks_ = std::move(prepared->peaks);
        extremes_ = std::move(prepared->extremes);
        extremes_.rebind(displayed_.amplitude);
    } else {
        const Spectrum& base = showingEnvelope_ && envelope_ ? *envelope_ : *shown_->spectrum;
        displayed_ = presentSpectrum(base, statedUnit(), velocity(), settings_.velocityLowCut);
        peaks_ = findPeaks(displayed_, static_cast<std::size_t>(settings_.peaks));
        extremes_ = RangeExtremes(displayed_.amplitude);
    }
    refreshOverlay();
    explainLines();
    return fits;
}

void Workbench::refreshOverlay() {
    if (overlay_) {
        overlayDisplayed_ =
            presentSpectrum(*overlay_->spectrum, statedFor(settings_.statedUnits, overlay_->format),
                            velocity(), settings_.velocityLowCut);
    }
}

void Workbench::findLines() {
    if (shown_) {
        peaks_ = findPeaks(displayed_, static_cast<std::size_t>(settings_.peaks));
    }
    explainLines();
}

void Workbench::explainLines() {
    markers_ = {};
    markerLines_.clear();
    rows_.clear();
    evidence_.clear();
    judged_.reset();
    if (!shown_) {
        return;
    }
    if (!bearing_) {
        for (const Peak& p : peaks_) {
            rows_.push_back({p, std::nullopt});
        }
        return;
    }
    // The diagnosis first: the lines of the families it finds are drawn, and the peaks
    // explained, where it found them, at the speed it was made at. A record's is its own,
    // whatever is drawn of it; a spectrum file's speed is found in its own lines.
    if (record_ && diagnosis_) {
        judged_ = Judged{diagnosis_->speed, diagnosis_->bases, diagnosis_->windowPercent};
        evidence_ = diagnosis_->families;
    } else if (!record_) {
        const Speeds speeds{bearing_->bases,
                            speedsOfSpectrum(displayed_, bearing_->bases.Fr, settings_.speed),
                            settings_.slipPercent};
        Verdicts v = judgeAtSpeeds(displayed_, speeds);
        const ShaftSpeed& speed = speeds.candidates[v.speed];
        judged_ = Judged{speed, atShaftSpeed(bearing_->bases, speed.hz),
                         settings_.slipPercent + speedMarginPercent(speed)};
        evidence_ = std::move(v.families);
    }
    const SearchBases bases = judgedBases();
    std::vector<FoundFamily> found;
    for (const FamilyEvidence& e : evidence_) {
        if (e.verdict != Verdict::None && e.found > 0) {
            found.push_back({faultFamily(e.family).marker, e.found});
        }
    }
    markerLines_ =
        orbistan::markerLines(bases, settings_.families, settings_.harmonics, settings_.sidebands,
                              displayed_.frequency.back(), found, !evidence_.empty());
    markers_ = markerStrokes(markerLines_);
    rows_ = explainPeaks(peaks_, bases, bearing_->search, bearing_->precision,
                         displayed_.resolution, evidence_);
}

std::optional<FileProblem> runThrough(Workbench& doc, std::optional<WorkbenchTask> task) {
    while (task) {
        const WorkbenchChange change = doc.apply(runTask(std::move(*task)));
        if (change.problem) {
            return change.problem;
        }
        task = change.next;
    }
    while (const std::optional<WorkbenchTask> diagnosis = doc.pendingDiagnosis()) {
        doc.apply(runTask(*diagnosis));
    }
    return std::nullopt;
}

} // namespace orbistan
