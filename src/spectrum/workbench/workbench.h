#pragma once
// The spectrum workbench's document: what is shown (a file's spectrum, its record, the
// envelope of a band, a second file overlaid) and every decision about it, without a widget.
// A request (open a file, overlay one, the envelope of a band, new transform settings,
// another source) becomes a task; runTask does the work on whichever thread calls it; apply
// takes the result into the document and says what changed. The window binds controls and
// plot to it; the command line runs the same tasks.

#include "search/search.h"
#include "spectrum/analysis/shaft_speed.h"
#include "spectrum/diagnosis/evidence.h"
#include "spectrum/diagnosis/explain.h"
#include "spectrum/diagnosis/markers.h"
#include "spectrum/dsp/band_map.h"
#include "spectrum/dsp/cyclic.h"
#include "spectrum/dsp/envelope.h"
#include "spectrum/dsp/extremes.h"
#include "spectrum/io/formats.h"
#include "spectrum/workbench/workbench_settings.h"

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace orbistan {

// What the workbench needs of the calculator's bearing: the frequencies as the search uses
// them, and the search fields' tolerance, maximum harmonic and maximum frequency.
struct WorkbenchBearing {
    SearchBases bases;
    SearchParameters search;
    int precision = 1;
    bool operator==(const WorkbenchBearing&) const = default;
};

enum class TaskKind {
    Open,     // a file, shown from its whole range
    Reopen,   // the file shown, with other transform settings or another source
    Overlay,  // a second file, drawn under the first
    Envelope, // the envelope spectrum of a band of the record shown (or of a file's)
    // The record's diagnosis: the envelope as `orbistan-cli diagnose` makes it (the clearer
    // of the chosen band's and the pre-whitened record's, at the resolution chosen for the
    // diagnosis), judged for the bearing; not shown.
    Diagnosis,
    // The envelope of a band against time, drawn over the record (the band of the envelope
    // spectrum shown, else the most impulsive).
    RecordEnvelope,
};

// A band's envelope against time, and its summary for drawing it column by column.
struct TimeEnvelope {
    TimeEnvelope(Band b, std::vector<double> v) : band(b), values(std::move(v)), summary(values) {}
    TimeEnvelope(const TimeEnvelope&) = delete; // the summary points into the values
    Band band;
    std::vector<double> values; // at the record's rate
    RangeExtremes summary;
};

// How the spectrum a task gives is to be shown, as the workbench stood when it asked: the
// worker prepares it, so that the window's thread never scans a long spectrum for peaks.
struct ShowAs {
    std::map<std::string, Unit> statedUnits; // per format, for files that name no unit
    std::string format;                      // the shown file's, for an envelope
    bool velocity = false;
    double velocityLowCut = 0;
    int peaks = 0;
};

// A spectrum as shown, its peaks, and what it was prepared for.
struct PreparedSpectrum {
    Spectrum displayed;
    std::vector<Peak> peaks;
    RangeExtremes extremes; // of the displayed amplitudes, to be rebound where they move
    Unit stated = Unit::Unknown;
    bool velocity = false;
    double velocityLowCut = 0;
    int peakCount = 0;
};

struct WorkbenchTask {
    TaskKind kind = TaskKind::Open;
    std::filesystem::path path;
    SourceChoice source;
    TransformSettings transform;
    // Envelope: the record (read from path when null) and its band (the most impulsive when
    // empty); a file holding a spectrum is an error unless spectrumIfNoRecord.
    std::shared_ptr<const Waveform> record;
    std::optional<Band> band;
    bool whiten = false; // pre-whitened; without a band, then, the whole band
    // With neither band nor whitening, the method's envelope: for Best, the most impulsive
    // band's, or, with a bearing to judge by, whichever of the methods Best weighs shows its
    // first family most clearly.
    EnvelopeMethod method = EnvelopeMethod::Best;
    std::optional<SearchBases> judgeBy;
    double slipPercent = kDefaultSlipPercent;
    // Diagnosis: how the record's running speed is known; judgeBy's Fr is the speed typed.
    SpeedSearch speed;
    // The envelope spectrum's lines chosen for the record's rate (envelopeLines) rather than
    // taken from the transform settings.
    bool linesForRate = false;
    bool spectrumIfNoRecord = false;
    std::optional<ShowAs> showAs; // the spectrum prepared for showing, when set
};

// What the record's diagnosis was made of, and what it found.
struct Diagnosis {
    std::vector<FamilyEvidence> families; // strongest first
    Band band; // of the envelope, or of the carriers of the enhanced envelope spectrum
    // The one whose envelope was judged: Whitened for the pre-whitened record's.
    EnvelopeMethod method = EnvelopeMethod::BandMap;
    double resolution = 0; // of the envelope spectrum, Hz
    // The shaft's speed the families were judged at, the bearing's frequencies at it, and how
    // far from them each family's fundamental was looked for (its slip and the speed's
    // uncertainty), percent.
    ShaftSpeed speed;
    SearchBases bases;
    double windowPercent = 0;
};

// The task that makes a record's diagnosis (or a file's spectrum's, for a spectrum file):
// one for the window, the report and the command line, so that all say the same.
// `band` and `whiten` as the envelope's options; `transform.span` the envelope's own (0: as
// far as its band reaches); `lines` none for the resolution chosen for the diagnosis at the
// record's rate (envelopeLines).
WorkbenchTask diagnosisTask(const std::filesystem::path& path, const SourceChoice& source,
                            TransformSettings transform, const SearchBases& bases,
                            std::optional<Band> band, bool whiten, double slipPercent,
                            std::optional<int> lines, EnvelopeMethod method = EnvelopeMethod::Best);

// The methods Best weighs, in the order a tie keeps: the first.
std::vector<EnvelopeMethod> bestMethods();

// The transform a record's diagnosis is made with, from the one the spectrum is shown
// with: the envelope's whole span, averaged as its verdicts were tuned.
TransformSettings diagnosisTransform(TransformSettings shown);

struct TaskResult {
    WorkbenchTask task;
    std::optional<FileContents> contents; // Open, Reopen, Overlay; an Envelope read from a file
    std::optional<Spectrum> envelope;
    Band band;                                       // the envelope's, as chosen
    EnvelopeMethod method = EnvelopeMethod::BandMap; // that made the envelope
    std::optional<BandMap> bandMap;                  // when the band was chosen
    std::shared_ptr<const CoherenceMap> coherence;   // when the coherence was weighed
    std::optional<PreparedSpectrum> prepared;        // as the task's showAs asked
    std::optional<Diagnosis> diagnosis;              // Diagnosis
    std::shared_ptr<const Waveform> record;          // Envelope, Diagnosis: the record worked on
    // Open, Reopen: the summary of the file's record (its extremes and levels over any range),
    // to be rebound to the samples where they move.
    std::optional<RangeExtremes> summary;
    std::shared_ptr<const TimeEnvelope> timeEnvelope; // RecordEnvelope
    std::optional<FileProblem> problem;               // why it failed
    bool cancelled = false;
    // The spectrum the task gives: the envelope's, or the file's.
    const Spectrum* spectrum() const;
};

// Never throws for a file: its message, a cancel or exhausted memory end up in the result.
TaskResult runTask(WorkbenchTask task, const Progress& progress = {});

// The spectrum as shown: in the unit the user stated where the file names none, and as
// velocity when asked and where velocity means something.
bool velocityOffered(const Spectrum& s, Unit stated);
Spectrum presentSpectrum(const Spectrum& s, Unit stated, bool velocity, double lowCut = 0);

struct WorkbenchChange {
    bool shown = false;    // what is drawn changed
    bool lines = false;    // only the markers, the peaks and the evidence changed
    bool keepRange = true; // the frequency axis stays where it was
    bool overlay = false;  // the overlay changed
    bool controls = false; // controls must show the document again (a job failed or ended)
    bool settings = false; // the settings changed and are worth saving
    std::optional<double> shaftSpeed;   // Hz, from a file that states its speed
    std::optional<WorkbenchTask> next;  // work that follows at once
    std::optional<FileProblem> problem; // for the user, said by problemText
    bool prepared = false;              // what is drawn is the spectrum the task prepared
    bool waveform = false;              // the record's envelope against time changed
};

class Workbench {
public:
    explicit Workbench(WorkbenchSettings settings = {});
    Workbench(const Workbench&) = delete; // the extremes point into the document
    Workbench& operator=(const Workbench&) = delete;

    // ---- requests
    WorkbenchTask openTask(const std::filesystem::path& path) const;
    WorkbenchTask overlayTask(const std::filesystem::path& path) const;
    // None when no record is shown.
    std::optional<WorkbenchTask> envelopeTask(std::optional<Band> band) const;
    // The controls' settings and source: a task when the record must be transformed anew
    // or another source read; otherwise markers and peaks follow at once.
    WorkbenchChange changeSettings(const WorkbenchSettings& s, int source);
    // Where the bearing of this number is measured, remembered for the next report; true
    // when the settings changed (to be saved).
    bool rememberPlace(const std::string& bearingNumber, const MeasurementPlace& place) {
        return orbistan::rememberPlace(settings_, bearingNumber, place);
    }
    // The envelope switch: on shows the envelope computed, or asks for it (typed band, or
    // the most impulsive when the band does not read).
    WorkbenchChange showEnvelope(bool on, std::optional<Band> typed);
    // The record's diagnosis, when it is wanted and not yet made (nor failed) for the record,
    // bearing and settings as they stand.
    std::optional<WorkbenchTask> pendingDiagnosis() const;
    // The envelope against time of the envelope spectrum's band (the most impulsive when
    // none is shown), when it is not made for the record yet; none without a record.
    std::optional<WorkbenchTask> timeEnvelopeTask() const;
    // The record's spectral coherence and the enhanced envelope spectrum of the carriers
    // given (those whose modulation recurs most when none), shown as the envelope; at the
    // bearing's families' cyclic frequencies when a bearing is set. None without a record.
    std::optional<WorkbenchTask> coherenceTask(std::optional<Band> carriers = std::nullopt) const;
    // The enhanced envelope spectrum of other carriers of the coherence made, shown as the
    // envelope at once; nothing without a coherence.
    WorkbenchChange chooseCarriers(Band carriers);
    // A typed band different from the envelope's asks for its envelope.
    // While the coherence's spectrum is shown, the band typed is its carriers.
    WorkbenchChange bandTyped(Band band);
    WorkbenchChange setVelocity(bool on);
    // Where the window stands, to be saved with the settings; nothing is redrawn.
    void setSession(const WorkbenchSession& session);
    // The shown record's sample rate: a task reading it again at that rate; for a file that
    // states none the rate is remembered for that file, and offered, as assumed, for the
    // next of its kind that states none.
    WorkbenchChange setRate(double rate);
    // The text file shown read again in this layout (a spectrum that could be a record with
    // its time first, say); nothing for another file.
    WorkbenchChange readTextAs(TextLayout layout);
    // For files of the shown format that name no unit; remembered per format.
    WorkbenchChange setStatedUnit(Unit unit);
    WorkbenchChange clearOverlay();
    // The calculator's bearing, or none while nothing is computed: markers, peak
    // explanations and evidence follow. False when it is the bearing already set.
    bool setBearing(std::optional<WorkbenchBearing> bearing);

    WorkbenchChange apply(TaskResult result);

    // ---- state
    const WorkbenchSettings& settings() const { return settings_; }
    bool hasSpectrum() const { return shown_.has_value(); }
    const FileContents* shown() const { return shown_ ? &*shown_ : nullptr; }
    const std::filesystem::path& shownPath() const { return shownPath_; }
    bool hasRecord() const { return record_ != nullptr; }
    const std::shared_ptr<const Waveform>& record() const { return record_; }
    // The record's extremes and levels over any range of its samples; none without a record.
    const RangeExtremes* recordSummary() const {
        return record_ && recordSummary_ ? &*recordSummary_ : nullptr;
    }
    // The record's envelope against time, once made for it.
    const std::shared_ptr<const TimeEnvelope>& timeEnvelope() const { return timeEnvelope_; }
    const Spectrum* displayed() const { return shown_ ? &displayed_ : nullptr; }
    const Spectrum* overlay() const { return overlay_ ? &*overlayDisplayed_ : nullptr; }
    bool showingEnvelope() const { return showingEnvelope_; }
    Band envelopeBand() const { return envelopeBand_; }
    // The band map of the last band chosen for the record shown.
    const std::optional<BandMap>& bandMap() const { return bandMap_; }
    // The record's spectral coherence, once made; and how the envelope shown was made.
    const std::shared_ptr<const CoherenceMap>& coherence() const { return coherence_; }
    EnvelopeMethod envelopeMethod() const { return envelopeMethod_; }
    // Why the record's coherence was not made when last asked ("отменено" when cancelled);
    // empty while it was not asked, or was made.
    const std::string& coherenceFailure() const { return coherenceFailure_; }
    // The record's rate; and whether it is only assumed (its file states none, and no rate
    // was given for it): no verdict is to be trusted then.
    std::optional<double> sampleRate() const;
    // Whether the record shown reaches the band's top (at its Nyquist frequency or below);
    // true where no record is shown, as nothing says otherwise.
    bool recordHolds(Band band) const {
        const std::optional<double> rate = sampleRate();
        return !rate || band.high <= *rate / 2;
    }
    bool rateAssumed() const;
    bool velocity() const { return settings_.velocity && velocityOffered(); }
    bool velocityOffered() const;
    Unit statedUnit() const;
    bool fileStatesUnit() const;
    const std::optional<WorkbenchBearing>& bearing() const { return bearing_; }
    const std::vector<ExplainedPeak>& rows() const { return rows_; }
    const MarkerStrokes& markers() const { return markers_; }
    const std::vector<MarkerLine>& markerLines() const { return markerLines_; }
    int markerLineCount() const;
    // The least and greatest amplitude drawn between the frequencies `from` and `to`, of the
    // resolvable lines only (the record's drift sets no axis); none where no line is there.
    std::optional<std::pair<double, double>> extremesBetween(double from, double to) const;
    // The diagnosis shown: for a record, its own (the same whatever part of it is drawn);
    // for a spectrum file, its spectrum's. Empty while the record's is being made.
    const std::vector<FamilyEvidence>& evidence() const { return evidence_; }
    // "Диагноз по огибающей 2000–4000 Гц", "Диагноз по спектру", "Диагноз вычисляется…", or
    // why there is none.
    std::string diagnosisHeading() const;
    const std::optional<Diagnosis>& recordDiagnosis() const { return diagnosis_; }
    // The shaft's speed as the record (or the spectrum file) shows it; none where the
    // verdicts shown were not made at a speed found there.
    std::optional<double> refinedShaftSpeed() const;
    // The shaft's speed the verdicts shown were made at and how it was known, with the
    // bearing's frequencies at it (what the markers and the peaks' explanations use) and the
    // families' window, percent; none while no verdict is shown.
    struct Judged {
        ShaftSpeed speed;
        SearchBases bases;
        double windowPercent = 0;
    };
    const std::optional<Judged>& judged() const { return judged_; }
    // The bearing's frequencies as judged, else as typed; none without a bearing.
    SearchBases judgedBases() const;

private:
    WorkbenchTask reopenTask(int source) const;
    // A task on the record shown: its file, source and samples.
    WorkbenchTask taskOnRecord(TaskKind kind) const;
    // The envelope shown made anew, as it was made (its record or settings changed).
    std::optional<WorkbenchTask> envelopeAgain() const;
    WorkbenchChange applyFailure(const TaskResult& r);
    WorkbenchChange applyOpened(TaskResult r);
    WorkbenchChange applyEnvelope(TaskResult r);
    WorkbenchChange applyDiagnosis(TaskResult r);
    void forgetDiagnosis();
    void rememberFolder(const std::filesystem::path& path, WorkbenchChange& change);
    ShowAs showAs(const std::string& format) const;
    // What is drawn, and all that follows from it; from the task's preparation when it was
    // prepared for the workbench as it stands. True when it was.
    bool refresh(std::optional<PreparedSpectrum> prepared = std::nullopt);
    void refreshOverlay();
    void findLines();    // the peaks, and all that follows from them
    void explainLines(); // markers, explanations and evidence

    WorkbenchSettings settings_;
    std::optional<WorkbenchBearing> bearing_;
    std::optional<FileContents> shown_; // its record moved into record_
    std::shared_ptr<const Waveform> record_;
    std::optional<RangeExtremes> recordSummary_;
    std::shared_ptr<const TimeEnvelope> timeEnvelope_;
    std::filesystem::path shownPath_;
    SourceChoice shownChoice_;
    TransformSettings shownTransform_;
    TransformSettings envelopeTransform() const;
    std::optional<Spectrum> envelope_;
    Band envelopeBand_;
    bool envelopeWasChosen_ = false; // its band chosen by the program, not given
    std::optional<BandMap> bandMap_;
    std::shared_ptr<const CoherenceMap> coherence_;
    std::string coherenceFailure_;
    EnvelopeMethod envelopeMethod_ = EnvelopeMethod::BandMap;
    bool showingEnvelope_ = false;
    std::optional<FileContents> overlay_;
    std::optional<Spectrum> overlayDisplayed_;
    Spectrum displayed_;
    RangeExtremes extremes_;
    std::vector<Peak> peaks_;
    std::vector<MarkerLine> markerLines_;
    MarkerStrokes markers_;
    std::vector<ExplainedPeak> rows_;
    std::vector<FamilyEvidence> evidence_;
    std::optional<Diagnosis> diagnosis_; // the record's
    std::optional<Judged> judged_;       // at what speed what is shown was judged
    std::string diagnosisFailure_;       // why the record's was not made; not asked again
};

// Runs the task and all that follows it (each change's next, then the record's diagnosis) at
// once on this thread, as the window's runner does off its own: the command line's and the
// tests' runner. Ends at the first problem, which it returns; a diagnosis that fails is the
// document's to say, not a problem of the file.
std::optional<FileProblem> runThrough(Workbench& doc, std::optional<WorkbenchTask> task);

} // namespace orbistan
