// The spectrum document's transitions, without a window: requests become tasks, tasks run,
// and their results change what is shown exactly as the window shows it.
#include "spectrum/io/audio.h"
#include "spectrum/workbench/report.h"
#include "spectrum/workbench/workbench.h"

#include "bearing_mat.h"
#include "platform/atomic_file.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/io/text_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <ctime>

namespace orbistan {
namespace {

// The 6205 at 1797 rpm, as the calculator computes it.
WorkbenchBearing bearing6205() {
    return {{106.979844155844, 162.570155844156, 69.5234251692891, 11.8866493506493, 29.95},
            {0, 1, 1, 10, 1000},
            1};
}

SynthSettings outerFault() {
    SynthSettings s;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.seconds = 4;
    return s;
}

class WorkbenchDocument : public test::TempDirTest {
protected:
    void SetUp() override {
        TempDirTest::SetUp();
        wav_ = dir_ / "outer.wav";
        ASSERT_EQ(writeFileAtomically(wav_, encodeWav(synthesize(outerFault()), 12000)), 0);
    }
    // A task run and its result applied, as the window does when its worker finishes.
    WorkbenchChange step(const std::optional<WorkbenchTask>& task) {
        EXPECT_TRUE(task);
        return task ? doc_.apply(runTask(*task)) : WorkbenchChange{};
    }
    WorkbenchSettings withLines(int lines) const {
        WorkbenchSettings s = doc_.settings();
        s.transform.lines = lines;
        return s;
    }
    Workbench doc_;
    std::filesystem::path wav_;
};

TEST_F(WorkbenchDocument, OpeningShowsTheFileAndTheBearingExplainsIt) {
    const WorkbenchChange c = step(doc_.openTask(wav_));
    EXPECT_TRUE(c.shown && c.controls && !c.keepRange && !c.problem);
    EXPECT_TRUE(c.settings); // the folder is remembered
    EXPECT_EQ(doc_.settings().folder, dir_.string());
    ASSERT_TRUE(doc_.displayed());
    EXPECT_EQ(doc_.displayed()->frequency.size(), 3201u);
    EXPECT_TRUE(doc_.hasRecord());
    EXPECT_EQ(doc_.rows().size(), 20u);
    EXPECT_FALSE(doc_.rows()[0].best); // nothing computed, nothing explains
    EXPECT_EQ(doc_.markerLineCount(), 0);

    EXPECT_TRUE(doc_.setBearing(bearing6205()));
    EXPECT_FALSE(doc_.setBearing(bearing6205())); // the same bearing: nothing to redo
    EXPECT_GT(doc_.markerLineCount(), 0);
    // The record's diagnosis is made apart, as the command line makes it; then shown
    // whatever part of the record is drawn.
    EXPECT_TRUE(doc_.evidence().empty());
    EXPECT_EQ(doc_.diagnosisHeading(), "Диагноз вычисляется…");
    const std::optional<WorkbenchTask> diagnosis = doc_.pendingDiagnosis();
    ASSERT_TRUE(diagnosis);
    EXPECT_EQ(diagnosis->kind, TaskKind::Diagnosis);
    EXPECT_TRUE(diagnosis->linesForRate);
    EXPECT_TRUE(step(diagnosis).lines);
    EXPECT_FALSE(doc_.pendingDiagnosis());
    ASSERT_EQ(doc_.evidence().size(), 4u);
    EXPECT_EQ(doc_.evidence()[0].family, FaultFamily::Outer);
    EXPECT_EQ(doc_.evidence()[0].verdict, Verdict::Strong);
    EXPECT_TRUE(doc_.diagnosisHeading().starts_with("Диагноз по огибающей "))
        << doc_.diagnosisHeading();
    EXPECT_TRUE(doc_.diagnosisHeading().ends_with(" Гц, шаг 1,46 Гц")) << doc_.diagnosisHeading();
    // The raw spectrum's peaks at the outer race's lines are named by the line found.
    const bool named =
        std::any_of(doc_.rows().begin(), doc_.rows().end(),
                    [](const ExplainedPeak& r) { return r.best && r.best->name == "2·Fo"; });
    EXPECT_TRUE(named);
    // Another bearing is judged anew; the search's fields alone judge nothing anew.
    WorkbenchBearing wider = bearing6205();
    wider.search.tolerance = 2;
    EXPECT_TRUE(doc_.setBearing(wider));
    EXPECT_FALSE(doc_.pendingDiagnosis());
    WorkbenchBearing other = bearing6205();
    other.bases.Fr = 25;
    EXPECT_TRUE(doc_.setBearing(other));
    EXPECT_TRUE(doc_.pendingDiagnosis());
    EXPECT_TRUE(doc_.evidence().empty());
    doc_.setBearing(bearing6205());
    step(doc_.pendingDiagnosis());
    const bool explained = std::any_of(doc_.rows().begin(), doc_.rows().end(),
                                       [](const ExplainedPeak& r) { return r.best; });
    EXPECT_TRUE(explained);

    // Markers follow their settings at once, without a task.
    WorkbenchSettings fewer = doc_.settings();
    const int before = doc_.markerLineCount();
    fewer.families[MarkFo] = false;
    const WorkbenchChange m = doc_.changeSettings(fewer, 0);
    EXPECT_TRUE(m.lines && m.settings && !m.next);
    EXPECT_LT(doc_.markerLineCount(), before);
}

// The worker prepares the spectrum as shown and its peaks; the document takes them when
// it still stands as the task found it, and prepares them itself when the user changed
// what they depend on meanwhile (the number of peaks, the unit, velocity).
// The report says what the window shows: the bearing, the file and how it was transformed,
// the table as the window shows it, the diagnosis; nothing while nothing is shown.
TEST_F(WorkbenchDocument, TheReportSaysWhatIsShownAndHow) {
    ReportContext context{
        "6205", geometryText(25, 52, 7.94, 9, 0), "08.12.2026 17:30", 29.9333333333333, {},
        ""}; // Fr rounded as the window shows it
    EXPECT_TRUE(makeReport(doc_, context).title.empty());
    step(doc_.openTask(wav_));
    EXPECT_EQ(makeReport(doc_, context).conclusion,
              "Подшипник не рассчитан: признаки дефекта не проверялись");
    doc_.setBearing(bearing6205());
    step(doc_.pendingDiagnosis());
    // The record's date is its file's, in local time.
    setenv("TZ", "UTC", 1);
    tzset();
    using namespace std::chrono;
    std::filesystem::last_write_time(
        wav_, file_clock::from_sys(sys_seconds{seconds{1796112900}})); // 01.12.2026 08:15 UTC
    const Report r = makeReport(doc_, context);
    EXPECT_EQ(r.title, "outer.wav");
    const std::vector<std::pair<std::string, std::string>> facts = {
        {"Подшипник", "6205"},
        {"Геометрия", "d = 25 мм, D = 52 мм, Dw = 7,94 мм, Z = 9, α = 0°"},
        {"Fr", "29,93 Гц (1796 об/мин)"},
        {"Файл", wav_.string()},
        {"Канал", "1"},
        {"Частота дискретизации", "12000 Гц"},
        {"Уровни записи",
         levelsText(RangeExtremes(doc_.record()->samples).levels(0, doc_.record()->samples.size()),
                    "")},
        {"Расчёт", "окно Ханна, 3200 линий, пик"},
        {"Показан", "спектр; шаг 1,46 Гц, до 4687,5 Гц, усреднений: 10; Амплитуда"},
        {"Дата измерения", "01.12.2026 08:15 (файла)"},
        {"Дата отчёта", "08.12.2026 17:30"}};
    EXPECT_EQ(r.facts, facts);
    EXPECT_TRUE(facts[6].second.starts_with("СКЗ 0,")) << facts[6].second; // a WAV of no unit
    EXPECT_EQ(r.captions, peakTableCaptions());
    ASSERT_EQ(r.rows.size(), doc_.rows().size());
    EXPECT_EQ(r.rows[0], peakTableCells(1, doc_.rows()[0]));
    // A heading, the speed judged at, four families, the lines of the one found.
    ASSERT_EQ(r.diagnosis.size(), 7u);
    EXPECT_EQ(r.diagnosis[0].text, doc_.diagnosisHeading());
    EXPECT_EQ(r.diagnosis[1].text,
              "Fr = 29,95 Гц (1797 об/мин) — по спектру, введено 29,95; окно ±2,0 %");
    EXPECT_TRUE(r.diagnosis[2].text.starts_with("Fo: ")) << r.diagnosis[2].text;
    EXPECT_EQ(r.diagnosis[2].verdict, doc_.evidence()[0].verdict);
    EXPECT_EQ(r.diagnosis[3].text, "   линии " + foundLinesText(doc_.evidence()[0]));
    // Where it was measured, under the bearing; a date typed in place of the file's.
    context.place = {"Насос 3", "П1 осевая"};
    context.measured = "30.11.2026 14:05";
    const Report placed = makeReport(doc_, context);
    ASSERT_EQ(placed.facts.size(), facts.size() + 2);
    EXPECT_EQ(placed.facts[1], (std::pair<std::string, std::string>{"Машина", "Насос 3"}));
    EXPECT_EQ(placed.facts[2],
              (std::pair<std::string, std::string>{"Точка измерения", "П1 осевая"}));
    EXPECT_EQ(placed.facts[11],
              (std::pair<std::string, std::string>{"Дата измерения", "30.11.2026 14:05"}));
    EXPECT_TRUE(r.diagnosis[3].text.starts_with("   линии Fo 10")) << r.diagnosis[3].text;
    EXPECT_FALSE(r.diagnosis[3].verdict);

    // A narrower span and the envelope say so.
    WorkbenchSettings s = doc_.settings();
    s.transform.span = 1000;
    s.transform.window = WindowKind::FlatTop;
    step(doc_.changeSettings(s, 0).next);
    step(doc_.envelopeTask(Band{2000, 4000}));
    const Report e = makeReport(doc_, {});
    EXPECT_EQ(e.facts[0], (std::pair<std::string, std::string>{"Подшипник", "—"}));
    const auto fact = [&e](const std::string& caption) {
        for (const auto& [c, v] : e.facts) {
            if (c == caption) {
                return v;
            }
        }
        return std::string("(none)");
    };
    EXPECT_EQ(fact("Расчёт"), "окно плоская вершина, 3200 линий, макс. частота 1000 Гц, пик");
    EXPECT_TRUE(fact("Показан").starts_with("спектр огибающей 2000–4000 Гц; шаг "))
        << fact("Показан");
    // Nothing said twice: the band once, the scaling only under «Расчёт».
    EXPECT_TRUE(fact("Показан").ends_with("; Огибающая²")) << fact("Показан");
    EXPECT_EQ(fact("Геометрия"), "(none)");
    EXPECT_EQ(e.diagnosis.at(0).text, "Диагноз вычисляется…"); // the record read anew
}

// A text record states no rate: the rate given for one is given for its folder, as a series
// is measured at one rate; records elsewhere, and files of other kinds beside it, are still
// read at a rate assumed.
TEST_F(WorkbenchDocument, ATextRecordsRateIsGivenForItsFolder) {
    std::string columns;
    for (const double x : synthesize(outerFault())) {
        columns += std::to_string(x) + "\n";
    }
    std::filesystem::create_directories(dir_ / "series");
    std::filesystem::create_directories(dir_ / "elsewhere");
    for (const auto& path : {dir_ / "series/1", dir_ / "series/2", dir_ / "elsewhere/3"}) {
        ASSERT_EQ(writeFileAtomically(path, columns), 0);
    }
    ASSERT_TRUE(test::writeBearingMat(dir_ / "series/4.mat", {0.1, -0.1, 0.2}, {}, 1797));
    step(doc_.openTask(dir_ / "series/1"));
    ASSERT_TRUE(doc_.hasRecord());
    EXPECT_TRUE(doc_.rateAssumed());
    EXPECT_EQ(doc_.sampleRate(), kDefaultTextSampleRate);
    step(doc_.setRate(20000).next);
    EXPECT_FALSE(doc_.rateAssumed());
    EXPECT_EQ(parseWorkbenchSettings(formatWorkbenchSettings(doc_.settings())).folderRates,
              (std::map<std::string, double>{{(dir_ / "series").string(), 20000}}));
    const struct {
        const char* file;
        double rate;
        bool assumed;
    } cases[] = {
        {"series/2", 20000, false}, {"elsewhere/3", 20000, true}, {"series/4.mat", 12000, true}};
    for (const auto& c : cases) {
        step(doc_.openTask(dir_ / c.file));
        EXPECT_EQ(doc_.sampleRate(), c.rate) << c.file;
        EXPECT_EQ(doc_.rateAssumed(), c.assumed) << c.file;
    }
}

// A record whose file states no rate is read at a rate assumed: the page says its verdicts
// are not vouched for, and marks none. Once the rate is given for that file, they are; a
// second file of its kind is offered the rate, still as assumed.
TEST_F(WorkbenchDocument, NoVerdictIsVouchedForOnAnAssumedRate) {
    const auto mat = dir_ / "97.mat";
    const auto other = dir_ / "98.mat";
    for (const auto& path : {mat, other}) {
        ASSERT_TRUE(test::writeBearingMat(path, synthesize(outerFault()), {}, 1797));
    }
    doc_.setBearing(bearing6205());
    step(doc_.openTask(mat));
    step(doc_.pendingDiagnosis());
    ASSERT_TRUE(doc_.rateAssumed());
    const auto strong = [](const Report& r) {
        return std::count_if(r.diagnosis.begin(), r.diagnosis.end(),
                             [](const DiagnosisLine& l) { return l.marked(); });
    };
    Report r = makeReport(doc_, {});
    ASSERT_GE(r.diagnosis.size(), 2u);
    EXPECT_EQ(r.diagnosis[1].text, kRateAssumedCaveat);
    EXPECT_EQ(strong(r), 0);
    EXPECT_TRUE(r.diagnosis[2].text.starts_with("Fr = ")) << r.diagnosis[2].text;
    EXPECT_NE(r.diagnosis[3].text.find("сильные признаки"), std::string::npos);
    // The page's conclusion says none was checked, whatever the lines seem to say.
    EXPECT_EQ(r.conclusion, "Частота дискретизации принята — признаки не проверены");
    EXPECT_FALSE(r.concluded);

    EXPECT_FALSE(doc_.setRate(12000).next); // confirmed as it was read: nothing to read again
    EXPECT_FALSE(doc_.rateAssumed());
    r = makeReport(doc_, {});
    EXPECT_EQ(r.diagnosis[1].text.find(kRateAssumedCaveat), std::string::npos);
    EXPECT_EQ(strong(r), 1);
    EXPECT_EQ(r.conclusion, "Дефект наружного кольца: сильные признаки");
    EXPECT_EQ(r.concluded, Verdict::Strong);

    step(doc_.openTask(other));
    EXPECT_TRUE(doc_.rateAssumed());
    EXPECT_EQ(doc_.sampleRate(), 12000);
    step(doc_.openTask(mat));
    EXPECT_FALSE(doc_.rateAssumed());
}

// A healthy record's page says so in words.
TEST_F(WorkbenchDocument, AHealthyRecordsPageConcludesNoFault) {
    SynthSettings healthy = outerFault();
    healthy.fault.reset();
    const auto path = dir_ / "healthy.wav";
    ASSERT_EQ(writeFileAtomically(path, encodeWav(synthesize(healthy), 12000)), 0);
    doc_.setBearing(bearing6205());
    step(doc_.openTask(path));
    step(doc_.pendingDiagnosis());
    const Report r = makeReport(doc_, {});
    EXPECT_EQ(r.conclusion, "Признаков дефекта подшипника нет");
    EXPECT_EQ(r.concluded, Verdict::None);
}

TEST(ReportCells, AsTheWindowsTableShowsThem) {
    ExplainedPeak plain{{106.97984, 0.000123456, 73}, std::nullopt};
    EXPECT_EQ(peakTableCells(3, plain),
              (std::vector<std::string>{"3", "106,98", "0,0001235", "-", "", "", "", ""}));
    Explanation e;
    e.name = "Fo + Fq", e.m = 1, e.n = 2, e.value = 130.7531, e.residual = -0.0004;
    ExplainedPeak explained{{130.75, 2.5, 9}, e};
    EXPECT_EQ(
        peakTableCells(1, explained),
        (std::vector<std::string>{"1", "130,75", "2,5", "Fo + Fq", "1", "2", "130,753", "0"}));
    e.single = true;
    explained.best = e;
    EXPECT_EQ(peakTableCells(1, explained)[5], "");
    for (const auto& [v, text] : std::vector<std::pair<double, std::string>>{
             {0.5, "0,5"}, {1234567, "1,235e+06"}, {-0.00012344, "-0,0001234"}, {0, "0"}}) {
        EXPECT_EQ(fourSignificant(v), text) << v;
    }
}

TEST_F(WorkbenchDocument, WhatTheWorkerPreparedIsTakenOnlyWhileItFits) {
    const WorkbenchChange opened = step(doc_.openTask(wav_));
    EXPECT_TRUE(opened.prepared);
    const std::vector<ExplainedPeak> rows = doc_.rows();
    ASSERT_EQ(rows.size(), 20u);

    const std::optional<WorkbenchTask> envelope = doc_.envelopeTask(Band{2000, 4000});
    ASSERT_TRUE(envelope && envelope->showAs);
    TaskResult r = runTask(*envelope);
    ASSERT_TRUE(r.prepared);
    EXPECT_GT(r.prepared->peaks.size(), 5u);
    WorkbenchSettings fewer = doc_.settings();
    fewer.peaks = 5;
    doc_.changeSettings(fewer, 0); // while the envelope was computed
    EXPECT_EQ(doc_.rows().size(), 5u);
    const WorkbenchChange stale = doc_.apply(std::move(r));
    EXPECT_FALSE(stale.prepared);
    EXPECT_EQ(doc_.rows().size(), 5u);
    EXPECT_TRUE(doc_.showingEnvelope());

    // Prepared or not, the same spectrum and peaks.
    Workbench fresh;
    fresh.changeSettings(fewer, 0);
    const TaskResult opened2 = runTask(fresh.openTask(wav_));
    ASSERT_TRUE(opened2.prepared);
    EXPECT_TRUE(fresh.apply(opened2).prepared);
    const std::vector<ExplainedPeak> preparedRows = fresh.rows();
    WorkbenchSettings more = fewer;
    more.peaks = 6;
    fresh.changeSettings(more, 0);
    fresh.changeSettings(fewer, 0); // found again on this thread
    ASSERT_EQ(fresh.rows().size(), preparedRows.size());
    for (std::size_t i = 0; i < preparedRows.size(); ++i) {
        EXPECT_EQ(fresh.rows()[i].peak.line, preparedRows[i].peak.line);
        EXPECT_EQ(fresh.rows()[i].peak.frequency, preparedRows[i].peak.frequency);
    }
}

TEST_F(WorkbenchDocument, NewTransformReopensAndAFailureRevertsIt) {
    step(doc_.openTask(wav_));
    WorkbenchChange c = doc_.changeSettings(withLines(800), 0);
    ASSERT_TRUE(c.next);
    EXPECT_EQ(c.next->kind, TaskKind::Reopen);
    EXPECT_EQ(c.next->transform.lines, 800);
    EXPECT_EQ(c.next->source.index, 0);
    const WorkbenchChange done = step(c.next);
    EXPECT_TRUE(done.shown && done.keepRange);
    EXPECT_EQ(doc_.displayed()->frequency.size(), 801u);

    // The file went away: the spectrum shown stays, and so do its settings.
    c = doc_.changeSettings(withLines(1600), 0);
    std::filesystem::remove(wav_);
    const WorkbenchChange failed = step(c.next);
    EXPECT_TRUE(failed.controls && failed.settings && !failed.shown);
    ASSERT_TRUE(failed.problem);
    EXPECT_EQ(failed.problem->kind, ProblemKind::Missing);
    EXPECT_EQ(problemText(*failed.problem), "Файл «outer.wav»: такого файла нет");
    EXPECT_EQ(doc_.settings().transform.lines, 800);
    EXPECT_EQ(doc_.displayed()->frequency.size(), 801u);
}

// The synchronous runner goes through what each change asks for next and the record's
// diagnosis, as the window's runner does, and stops at a file's problem.
TEST_F(WorkbenchDocument, RunsThroughWhatFollowsAndStopsAtAProblem) {
    doc_.setBearing(bearing6205());
    EXPECT_FALSE(runThrough(doc_, doc_.openTask(wav_)));
    EXPECT_FALSE(doc_.pendingDiagnosis()); // the diagnosis followed the opening
    ASSERT_EQ(doc_.evidence().size(), 4u);
    EXPECT_EQ(doc_.evidence()[0].verdict, Verdict::Strong);
    EXPECT_FALSE(runThrough(doc_, doc_.envelopeTask(Band{2000, 4000})));
    // Read again at other lines: the envelope shown follows the reading, as a task of its own.
    EXPECT_FALSE(runThrough(doc_, doc_.changeSettings(withLines(6400), 0).next));
    EXPECT_TRUE(doc_.showingEnvelope());

    const std::optional<FileProblem> missing = runThrough(doc_, doc_.openTask(dir_ / "gone.wav"));
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->kind, ProblemKind::Missing);
    EXPECT_EQ(missing->file, "gone.wav");
    EXPECT_TRUE(doc_.showingEnvelope()); // what was shown stays
    EXPECT_FALSE(runThrough(doc_, std::nullopt));
}

TEST_F(WorkbenchDocument, CancelledWorkLeavesWhatWasShown) {
    step(doc_.openTask(wav_));
    const std::atomic<bool> cancel{true};
    const TaskResult r = runTask(doc_.openTask(wav_), Progress({}, &cancel));
    EXPECT_TRUE(r.cancelled);
    const WorkbenchChange c = doc_.apply(r);
    EXPECT_TRUE(!c.problem && !c.shown && c.controls);
    EXPECT_EQ(doc_.displayed()->frequency.size(), 3201u);
}

TEST_F(WorkbenchDocument, EnvelopeFollowsTheRecordTransformedAnew) {
    EXPECT_FALSE(doc_.envelopeTask(std::nullopt)); // nothing shown
    EXPECT_TRUE(doc_.recordHolds({6000, 12000}));  // no record says otherwise
    step(doc_.openTask(wav_));
    doc_.setBearing(bearing6205());
    EXPECT_TRUE(doc_.recordHolds({2000, 6000})); // 12 kHz: up to 6 kHz
    EXPECT_FALSE(doc_.recordHolds({6000, 6000.5}));
    const WorkbenchChange e = step(doc_.envelopeTask(Band{2000, 4000}));
    EXPECT_TRUE(e.shown && e.keepRange);
    EXPECT_TRUE(doc_.showingEnvelope());
    EXPECT_EQ(amplitudeCaption(doc_.displayed()->units), "Огибающая² 2000–4000 Гц, пик");
    step(doc_.pendingDiagnosis());
    EXPECT_EQ(doc_.evidence().at(0).family, FaultFamily::Outer);
    EXPECT_FALSE(doc_.bandTyped({2000, 4000}).next); // the band shown
    EXPECT_TRUE(doc_.bandTyped({2100, 4000}).next);

    const WorkbenchChange reopened = step(doc_.changeSettings(withLines(6400), 0).next);
    EXPECT_FALSE(doc_.showingEnvelope());
    ASSERT_TRUE(reopened.next);
    EXPECT_EQ(reopened.next->kind, TaskKind::Envelope);
    EXPECT_EQ(reopened.next->band->low, 2000);
    step(reopened.next);
    EXPECT_TRUE(doc_.showingEnvelope());
    // Drawn at the diagnosis's resolution, whatever the spectrum's lines: what is judged.
    EXPECT_EQ(doc_.displayed()->frequency.size(), 3201u);

    // Switched off and on: the envelope computed is shown again, no task.
    EXPECT_TRUE(doc_.showEnvelope(false, std::nullopt).shown);
    EXPECT_FALSE(doc_.showingEnvelope());
    const WorkbenchChange again = doc_.showEnvelope(true, std::nullopt);
    EXPECT_TRUE(again.shown && !again.next && doc_.showingEnvelope());
}

// The coherence shown as the envelope: the carriers whose modulation recurs most, then others
// chosen at once from the map made; made anew with the record; and the diagnosis by the
// method chosen, its heading saying so.
TEST_F(WorkbenchDocument, TheCoherenceIsShownAsTheEnvelopeAndJudged) {
    EXPECT_FALSE(doc_.coherenceTask()); // nothing shown
    step(doc_.openTask(wav_));
    doc_.setBearing(bearing6205());
    EXPECT_FALSE(doc_.coherence());
    EXPECT_FALSE(doc_.chooseCarriers({2000, 4000}).shown); // no map yet
    const WorkbenchChange made = step(doc_.coherenceTask());
    EXPECT_TRUE(made.shown && made.controls);
    ASSERT_TRUE(doc_.coherence());
    EXPECT_TRUE(doc_.showingEnvelope());
    EXPECT_EQ(doc_.envelopeMethod(), EnvelopeMethod::Coherence);
    EXPECT_GT(doc_.envelopeBand().low, 2000); // the resonance's carriers
    EXPECT_LT(doc_.envelopeBand().high, 4500);
    EXPECT_EQ(doc_.displayed()->units.label, "Когерентность");
    // Explained with the bearing's lines, as any envelope is.
    ASSERT_FALSE(doc_.rows().empty());
    EXPECT_NEAR(doc_.rows().front().peak.frequency, 107, 1.5);

    const std::shared_ptr<const CoherenceMap> map = doc_.coherence();
    const WorkbenchChange chosen = doc_.chooseCarriers({500, 1500});
    EXPECT_TRUE(chosen.shown && !chosen.next);
    EXPECT_EQ(doc_.coherence(), map); // the same map, no work
    EXPECT_EQ(doc_.envelopeBand().low, 500);
    EXPECT_EQ(doc_.displayed()->amplitude, enhancedEnvelopeSpectrum(*map, {500, 1500}).amplitude);
    const Report page = makeReport(doc_, {});
    const auto shown = std::find_if(page.facts.begin(), page.facts.end(),
                                    [](const auto& f) { return f.first == "Показан"; });
    ASSERT_NE(shown, page.facts.end());
    EXPECT_TRUE(shown->second.starts_with(
        "усиленный спектр огибающей, когерентность несущих 500–1500 Гц; "))
        << shown->second;
    // Typed, a band is the coherence's carriers too.
    const WorkbenchChange typed = doc_.bandTyped({600, 1600});
    EXPECT_TRUE(typed.shown && !typed.next);
    EXPECT_EQ(doc_.envelopeBand().high, 1600);
    EXPECT_EQ(doc_.coherence(), map);
    doc_.chooseCarriers({500, 1500});

    // Another transform of the record: the coherence made anew for the carriers chosen.
    const WorkbenchChange reopened = step(doc_.changeSettings(withLines(6400), 0).next);
    ASSERT_TRUE(reopened.next);
    EXPECT_EQ(reopened.next->method, EnvelopeMethod::Coherence);
    step(reopened.next);
    EXPECT_EQ(doc_.envelopeBand().low, 500);
    EXPECT_EQ(doc_.envelopeMethod(), EnvelopeMethod::Coherence);

    WorkbenchSettings s = doc_.settings();
    s.method = EnvelopeMethod::Coherence;
    doc_.changeSettings(s, 0);
    const std::optional<WorkbenchTask> diagnosis = doc_.pendingDiagnosis();
    ASSERT_TRUE(diagnosis);
    EXPECT_EQ(diagnosis->method, EnvelopeMethod::Coherence);
    step(diagnosis);
    EXPECT_EQ(doc_.recordDiagnosis()->method, EnvelopeMethod::Coherence);
    EXPECT_EQ(doc_.diagnosisHeading().rfind("Диагноз по когерентности, несущие ", 0), 0u)
        << doc_.diagnosisHeading();
    EXPECT_EQ(doc_.evidence().at(0).family, FaultFamily::Outer);
}

// The envelope's own span and lines: the envelope shown is made anew at them; the diagnosis
// stays as it was made, at the resolution its verdicts were tuned at; the record's spectrum
// keeps its own.
TEST_F(WorkbenchDocument, TheEnvelopeHasASpanAndLinesOfItsOwn) {
    step(doc_.openTask(wav_));
    doc_.setBearing(bearing6205());
    WorkbenchSettings held = doc_.settings();
    held.transform.averaging = Averaging::PeakHold;
    step(doc_.changeSettings(held, 0).next);
    EXPECT_TRUE(doc_.displayed()->peakHold);
    step(doc_.envelopeTask(Band{2000, 4000}));
    EXPECT_FALSE(doc_.displayed()->peakHold); // averaged, as the diagnosis averages it
    const double defaultResolution = doc_.displayed()->resolution;
    step(doc_.pendingDiagnosis());
    const std::string heading = doc_.diagnosisHeading();
    EXPECT_NE(heading.find(", шаг 1,46 Гц"), std::string::npos) << heading;
    WorkbenchSettings s = doc_.settings();
    s.envelopeSpan = 500;
    s.envelopeLines = 1600;
    const WorkbenchChange c = doc_.changeSettings(s, 0);
    ASSERT_TRUE(c.next);
    EXPECT_EQ(c.next->kind, TaskKind::Envelope);
    EXPECT_EQ(c.next->band, (Band{2000, 4000}));
    step(c.next);
    ASSERT_TRUE(doc_.showingEnvelope());
    const Spectrum& e = *doc_.displayed();
    // 12 kHz decimated by 9 (the least rate that shows 500 Hz), over 2,56 · 1600 lines.
    EXPECT_DOUBLE_EQ(e.resolution, 12000.0 / 9 / 4096);
    EXPECT_LT(e.resolution, defaultResolution);
    EXPECT_GE(e.frequency.back(), 500);
    EXPECT_LT(e.frequency.back(), 12000.0 / 9 / 2.56 + e.resolution);
    EXPECT_FALSE(doc_.pendingDiagnosis()); // nothing to judge anew
    EXPECT_EQ(doc_.diagnosisHeading(), heading);
    EXPECT_EQ(doc_.evidence().at(0).family, FaultFamily::Outer);
    // The record's spectrum is as it was.
    EXPECT_TRUE(doc_.showEnvelope(false, std::nullopt).shown);
    EXPECT_EQ(doc_.displayed()->frequency.size(), 3201u);
}

// A recording names no unit: velocity only once the user states one, remembered for every
// file of the format, and never for the envelope.
TEST_F(WorkbenchDocument, StatedUnitOffersVelocity) {
    step(doc_.openTask(wav_));
    EXPECT_FALSE(doc_.velocityOffered());
    EXPECT_FALSE(doc_.fileStatesUnit());
    EXPECT_FALSE(doc_.setVelocity(true).shown && doc_.velocity());
    const WorkbenchChange u = doc_.setStatedUnit(Unit::G);
    EXPECT_TRUE(u.shown && u.settings);
    EXPECT_EQ(doc_.settings().statedUnits.at("audio"), Unit::G);
    EXPECT_TRUE(doc_.velocity()); // asked for before, meaningful now
    EXPECT_EQ(amplitudeCaption(doc_.displayed()->units), "Скорость, пик, мм/с");
    step(doc_.envelopeTask(Band{2000, 4000}));
    EXPECT_FALSE(doc_.velocityOffered());
    EXPECT_EQ(doc_.displayed()->units.quantity, Quantity::SquaredEnvelope);
}

TEST_F(WorkbenchDocument, ASpectrumFileHasNoEnvelopeAndItsDatasetsAreSources) {
    ASSERT_EQ(writeFileAtomically(dir_ / "s.csv", "Hz;Acceleration, g\n1;2\n2;3\n3;4\n"), 0);
    step(doc_.openTask(dir_ / "s.csv"));
    EXPECT_FALSE(doc_.hasRecord());
    EXPECT_FALSE(doc_.envelopeTask(std::nullopt));
    EXPECT_TRUE(doc_.fileStatesUnit());
    EXPECT_TRUE(doc_.velocityOffered());
    EXPECT_FALSE(doc_.setStatedUnit(Unit::MillimetrePerSecond).shown); // the file's word wins
    // A transform change has no record to transform.
    EXPECT_FALSE(doc_.changeSettings(withLines(800), 0).next);
}

// A MATLAB file's speed is offered once, when it is opened, not on every new transform.
TEST_F(WorkbenchDocument, AFilesShaftSpeedComesWithItsOpening) {
    const auto mat = dir_ / "97.mat";
    ASSERT_TRUE(
        test::writeBearingMat(mat, synthesize(outerFault()), std::vector<double>(5000), 1797));
    const WorkbenchChange opened = step(doc_.openTask(mat));
    EXPECT_EQ(opened.shaftSpeed, 1797.0 / 60);
    EXPECT_EQ(doc_.shown()->sources.size(), 2u);
    const int fe_ = doc_.shown()->source == 0 ? 1 : 0;
    const WorkbenchChange c = doc_.changeSettings(doc_.settings(), fe_);
    ASSERT_TRUE(c.next);
    EXPECT_EQ(c.next->source.index, fe_);
    const WorkbenchChange other = step(c.next);
    EXPECT_FALSE(other.shaftSpeed);
    EXPECT_EQ(doc_.shown()->sources.at(static_cast<std::size_t>(doc_.shown()->source)),
              "X097_FE_time");
}

TEST_F(WorkbenchDocument, OverlayIsShownInTheSameUnits) {
    step(doc_.openTask(wav_));
    const auto other = dir_ / "other.wav";
    ASSERT_EQ(writeFileAtomically(other, encodeWav(std::vector<double>(24000, 0.1), 12000)), 0);
    EXPECT_TRUE(step(doc_.overlayTask(other)).overlay);
    ASSERT_TRUE(doc_.overlay());
    EXPECT_EQ(doc_.overlay()->source, "other.wav");
    EXPECT_EQ(doc_.shownPath(), wav_); // the file shown stays
    doc_.setStatedUnit(Unit::G);
    doc_.setVelocity(true);
    EXPECT_EQ(doc_.overlay()->units.quantity, Quantity::Velocity);
    EXPECT_TRUE(doc_.clearOverlay().overlay);
    EXPECT_FALSE(doc_.overlay());
}

// With a bearing to judge by, the envelope kept is the clearer of the band map's band and
// the pre-whitened whole band, each computed as its own task would.
TEST_F(WorkbenchDocument, TheClearerOfTheTwoEnvelopesIsKept) {
    WorkbenchTask t;
    t.kind = TaskKind::Envelope;
    t.path = wav_;
    t.judgeBy = bearing6205().bases;
    const TaskResult both = runTask(t);
    ASSERT_FALSE(both.problem) << problemText(*both.problem);
    ASSERT_TRUE(both.bandMap);
    WorkbenchTask white = t, band = t;
    white.judgeBy.reset(), white.whiten = true;
    band.judgeBy.reset(), band.band = both.bandMap->best;
    const auto first = [](const TaskResult& r) {
        return rankEvidence(*r.envelope, bearing6205().bases).front();
    };
    const FamilyEvidence w = first(runTask(white)), b = first(runTask(band));
    const bool whiteClearer = w.verdict != b.verdict ? w.verdict > b.verdict : w.score > b.score;
    EXPECT_EQ(both.method == EnvelopeMethod::Whitened, whiteClearer);
    EXPECT_EQ(first(both).family, FaultFamily::Outer);
    EXPECT_EQ(first(both).verdict, Verdict::Strong);
    EXPECT_EQ(first(both).score, whiteClearer ? w.score : b.score);
}

// The band messages say which band: the one given, or that the automatic choice found none.
TEST_F(WorkbenchDocument, BandMessagesSayWhichBand) {
    ASSERT_EQ(
        writeFileAtomically(dir_ / "silent.wav", encodeWav(std::vector<double>(24000), 12000)), 0);
    WorkbenchTask t;
    t.kind = TaskKind::Envelope;
    t.path = dir_ / "silent.wav";
    // Found in the record, before the file was known to the work: named with it on the way out.
    const std::optional<FileProblem> none = runTask(t).problem;
    ASSERT_TRUE(none);
    EXPECT_EQ(none->kind, ProblemKind::Unsuited);
    EXPECT_EQ(problemText(*none),
              "Файл «silent.wav»: полоса для огибающей не выбрана: ни в одной полосе нет сигнала");
    t.band = Band{100, 9000};
    const std::optional<FileProblem> given = runTask(t).problem;
    ASSERT_TRUE(given);
    EXPECT_EQ(given->where, "полоса 100–9000 Гц");
    EXPECT_EQ(problemText(*given), "Файл «silent.wav»: полоса 100–9000 Гц: полоса огибающей должна "
                                   "лежать между 0 и 6000 Гц и быть шире двух линий записи");
}

TEST(WorkbenchSettingsFile, KeepsStatedUnitsAndDropsBadOnes) {
    WorkbenchSettings s;
    s.statedUnits = {{"audio", Unit::G}, {"matlab", Unit::MetrePerSecond2}};
    EXPECT_EQ(parseWorkbenchSettings(formatWorkbenchSettings(s)), s);
    for (const AmplitudeScale scale : {AmplitudeScale::Logarithmic, AmplitudeScale::Decibel}) {
        s.amplitudeScale = scale;
        EXPECT_EQ(parseWorkbenchSettings(formatWorkbenchSettings(s)), s);
    }
    s.velocity = true;
    s.transform.span = 500;
    s.peakLabels = 12;
    s.panels = PanelPlace::Beside;
    s.session = {std::array{-1200, 40, 1300, 900}, std::array{10.5, 300.0},
                 std::array{2000.0, 4000.0}, true};
    s.fileRates = {{"/data/с пробелом и = знаком.mat", 48000}, {"/b.mat", 12000}};
    EXPECT_EQ(parseWorkbenchSettings(formatWorkbenchSettings(s)), s);
    for (const std::optional<int> lines : {std::optional(0), std::optional(1600)}) {
        s.envelopeLines = lines; // the envelope's own: all lines, 1600; none is chosen
        s.envelopeSpan = 250.5;
        EXPECT_EQ(parseWorkbenchSettings(formatWorkbenchSettings(s)), s);
    }
    for (const Term<Averaging>& t : kAveragingTerms) {
        s.transform.averaging = t.value;
        s.transform.averages = 16;
        EXPECT_EQ(parseWorkbenchSettings(formatWorkbenchSettings(s)), s);
    }
    s.fileRates["/a\nb.mat"] = 24000; // a path no line can hold is not kept
    EXPECT_EQ(parseWorkbenchSettings(formatWorkbenchSettings(s)).fileRates.size(), 2u);
    s.fileRates.erase("/a\nb.mat");
    const WorkbenchSettings bad = parseWorkbenchSettings(
        "unit.audio=furlong\nunit.=g\nunit.Audio=g\nunit.uff=\n"
        "lines=777\nharmonics=0\nscaling=unknown\naxis=dBA\nspan=-5\nvelocity=yes\n"
        "envelope=2\npeak_labels=51\npanels=left\nview=300:10\nband=1e400:2\nplace=1,2,3\nplace=0,"
        "0,50,50\n"
        "place=0,0,800,600,7\nview=nan:5\nfile_rate=48000\nfile_rate=0 /a.mat\n"
        "file_rate=x /a.mat\nfile_rate=48000 \nfile_rate=48000 /a\rb.mat\n"
        "envelope_lines=1000\nenvelope_lines=\nenvelope_span=-1\nenvelope_span=x\n"
        "averaging=66\naverages=-1\naverages=100001\n");
    EXPECT_EQ(bad, WorkbenchSettings{});
}

TEST(Report, CountsPeaksAsRussianSaysThem) {
    const std::pair<std::size_t, const char*> cases[] = {
        {1, "1 пик"},       {2, "2 пика"},    {4, "4 пика"},  {5, "5 пиков"},
        {11, "11 пиков"},   {12, "12 пиков"}, {21, "21 пик"}, {22, "22 пика"},
        {111, "111 пиков"}, {101, "101 пик"}, {0, "0 пиков"}};
    for (const auto& [n, text] : cases) {
        EXPECT_EQ(peaksCounted(n), text);
    }
}

// A measurement's date as typed: the two forms, padded; anything else is none.
TEST(MeasurementDate, ReadsTheDayAndTheMinuteOrNothing) {
    const struct {
        const char* typed;
        const char* read; // nullptr: none
    } cases[] = {{"30.11.2026 14:05", "30.11.2026 14:05"},
                 {" 1.2.2026 7:05 ", "01.02.2026 07:05"},
                 {"29.02.2024", "29.02.2024"},
                 {"31.12.1999 23:59", "31.12.1999 23:59"},
                 {"29.02.2026", nullptr},
                 {"31.04.2026", nullptr},
                 {"00.01.2026", nullptr},
                 {"12.13.2026", nullptr},
                 {"12.12.26", nullptr},
                 {"12.12.2026 24:00", nullptr},
                 {"12.12.2026 12:60", nullptr},
                 {"12.12.2026 12", nullptr},
                 {"12.12.2026 12:00 утра", nullptr},
                 {"12/12/2026", nullptr},
                 {"123.12.2026", nullptr},
                 {"", nullptr},
                 {"вчера", nullptr}};
    for (const auto& c : cases) {
        const std::optional<std::string> read = measurementDate(c.typed);
        if (c.read) {
            EXPECT_EQ(read, std::optional<std::string>(c.read)) << c.typed;
        } else {
            EXPECT_FALSE(read) << c.typed << " read as " << *read;
        }
    }
}

// Places are remembered by bearing number, cleaned of what a line cannot hold; one of no
// names forgets it, and a bearing without a number has none.
TEST(WorkbenchSettingsFile, RemembersWhereEachBearingIsMeasured) {
    WorkbenchSettings s;
    EXPECT_TRUE(rememberPlace(s, "6205", {"Насос 3", "П1"}));
    EXPECT_FALSE(rememberPlace(s, " 6205 ", {" Насос 3", "П1 "})); // the same, trimmed
    EXPECT_TRUE(rememberPlace(s, "180206 Б", {"Вентилятор\tВ2", "опора\r\nлевая"}));
    EXPECT_FALSE(rememberPlace(s, "  ", {"Насос", "П"}));
    EXPECT_EQ(s.places.size(), 2u);
    EXPECT_EQ(s.places.at("180206 Б"), (MeasurementPlace{"Вентилятор В2", "опора  левая"}));
    EXPECT_EQ(parseWorkbenchSettings(formatWorkbenchSettings(s)), s);
    EXPECT_TRUE(rememberPlace(s, "6205", {"", " "}));
    EXPECT_EQ(s.places.count("6205"), 0u);
    // A line of too few or too many fields is not a place.
    EXPECT_TRUE(parseWorkbenchSettings("measured_at=6205\tНасос\nmeasured_at=1\t2\t3\t4\n"
                                       "measured_at=\tНасос\tП1\n")
                    .places.empty());
}

TEST(Markers, StrokesGroupHarmonicsAndSidebandsPerFamilyInOrder) {
    const std::array<bool, 6> all{true, true, true, true, true, true};
    const std::vector<MarkerLine> lines = markerLines(bearing6205().bases, all, 3, 1, 400);
    const MarkerStrokes strokes = markerStrokes(lines);
    std::size_t total = 0;
    for (const std::vector<double>& group : strokes) {
        EXPECT_TRUE(std::is_sorted(group.begin(), group.end()));
        total += group.size();
    }
    EXPECT_EQ(total, lines.size());
    EXPECT_EQ(strokes[MarkFo],
              (std::vector<double>{106.979844155844, 2 * 106.979844155844, 3 * 106.979844155844}));
    EXPECT_EQ(strokes[6 + MarkFo].size(), 6u); // ±Fr around each of three harmonics
    EXPECT_TRUE(strokes[6 + MarkFq].empty());  // the cage has no sidebands
}

// Lines are named as the table writes explanations, and the nearest within reach is found.
TEST(Markers, NamesAndTheNearestLine) {
    const struct {
        MarkerLine line;
        const char* name;
    } names[] = {
        {{0, MarkFo, 1, 0}, "Fo"},
        {{0, MarkFo, 2, 0}, "2·Fo"},
        {{0, MarkFi, 1, 1}, "Fi+Fr"},
        {{0, MarkFi, 3, -2}, "3·Fi−2·Fr"},
        {{0, Mark2Fw, 1, -1}, "2·Fw−Fq"},
        {{0, MarkFr, 4, 0}, "4·Fr"},
        // The rolling element's harmonics as an analyst reads them, never "2·2·Fw".
        {{0, Mark2Fw, 2, 0}, "4·Fw"},
        {{0, Mark2Fw, 3, 1}, "6·Fw+Fq"},
    };
    for (const auto& n : names) {
        EXPECT_EQ(markerName(n.line), n.name);
    }
    const std::array<bool, 6> all{true, true, true, true, true, true};
    const std::vector<MarkerLine> lines = markerLines(bearing6205().bases, all, 3, 1, 400);
    const std::optional<MarkerLine> near = nearestMarker(lines, 214.5, 1);
    ASSERT_TRUE(near);
    EXPECT_EQ(markerName(*near), "2·Fo");
    EXPECT_FALSE(nearestMarker(lines, 214.5, 0.1));

    // A peak at 10,02·Fr, 1,7 % from 2·Fi−Fr: named by it only while the slip is unknown;
    // once the diagnosis judged the inner race, its lines stand where it found them.
    const SearchBases b = bearing6205().bases;
    const double peak = 10.02 * b.Fr;
    const auto judged = [&](bool j) {
        return nearestMarker(markerLines(b, all, 3, 1, 400, {}, j), peak, 1.46, 2);
    };
    ASSERT_TRUE(judged(false));
    EXPECT_EQ(markerName(*judged(false)), "2·Fi−Fr");
    EXPECT_FALSE(judged(true)) << markerName(*judged(true));
    // Found 1,5 % above its kinematic place, the family's lines are read there, exactly.
    const std::vector<MarkerLine> found =
        markerLines(b, all, 3, 1, 400, {{MarkFi, 1.015 * b.Fi}}, true);
    EXPECT_EQ(markerName(*nearestMarker(found, 2 * 1.015 * b.Fi - b.Fr + 1, 1.46, 2)), "2·Fi−Fr");
    EXPECT_FALSE(nearestMarker(found, 2 * 1.015 * b.Fi - b.Fr + 2, 1.46, 2));
}

TEST(Peaks, TheCursorSnapsToTheHighestPeakWithinReach) {
    Spectrum s;
    s.frequency = {0, 1, 2, 3, 4, 5, 6, 7, 8};
    s.amplitude = {0, 1, 0, 0, 5, 0, 0, 2, 0};
    s.resolution = 1;
    const struct {
        double at, reach;
        std::size_t line;
    } cases[] = {{1.2, 0.5, 1}, {2.4, 2, 4}, {6.6, 1, 7}, {6.6, 3, 4}, {2.6, 0.1, 3}};
    for (const auto& c : cases) {
        EXPECT_EQ(snapToPeak(s, c.at, c.reach), c.line) << c.at << " " << c.reach;
    }
}

} // namespace
} // namespace orbistan
