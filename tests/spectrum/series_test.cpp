// Series of records: their times, their order, and a synthetic fault that starts on a known
// record and grows, trended as a monitoring system would.
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/difference.h"
#include "spectrum/io/audio.h"
#include "spectrum/series/series.h"
#include "spectrum/series/series_document.h"

#include "platform/atomic_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>

namespace orbistan {
namespace {

// ---- Times -------------------------------------------------------------------------------

TEST(RecordTime, NamesGiveTheirDateAndTime) {
    const std::int64_t ims = 1076581959; // 2004-02-12 10:32:39
    const struct {
        const char* name;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"2004.02.12.10.32.39", ims},          {"2004.02.12.10.32.39.txt", ims},
        {"pump_20040212_103239.wav", ims},     {"20040212T103239.mat", ims},
        {"2004-02-12 10-32-39.csv", ims},      {"2004.02.30.10.32.39", std::nullopt}, // no such day
        {"2004.02.12.25.32.39", std::nullopt}, // no such hour
        {"acc_00001.csv", std::nullopt},       {"1.csv", std::nullopt},
        {"2024.02.29.00.00.00", 1709164800}, // a leap day
    };
    for (const auto& c : cases) {
        EXPECT_EQ(timeInName(c.name), c.seconds) << c.name;
    }
    EXPECT_EQ(timeText(ims), "2004-02-12 10:32:39");
}

TEST(RecordTime, HeadsGiveTheTimeWrittenInThem) {
    const struct {
        std::string head;
        std::optional<std::int64_t> seconds;
    } cases[] = {
        {"MATLAB 5.0 MAT-file, Platform: PCWIN, Created on: Fri Jan 14 09:59:33 2000", 947843973},
        {"    -1\n    58\nID line 1\n24-Jan-02 10:11:12\n", 1011867072},
        {"# recorded 2004-02-12 10:32:39\n0.1\n", 1076581959},
        {"Дата: 12.02.2004 10:32\n", 1076581920},
        {std::string("bext\0\0\x02\0", 8) + "2004-02-1210:32:39", 1076581959},
        // A record's digits run together are no time.
        {"0.20040212103239\n0.1\n", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(timeInHead(c.head), c.seconds) << c.head;
    }
}

TEST(RecordTime, NamesAreOrderedAsPeopleNumberThem) {
    const std::vector<std::string> ordered = {"1.csv",      "2.csv", "10.csv", "acc_00002.csv",
                                              "acc_10.csv", "b",     "b1",     "b01x"};
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        for (std::size_t j = 0; j < ordered.size(); ++j) {
            EXPECT_EQ(naturalLess(ordered[i], ordered[j]), i < j)
                << ordered[i] << " " << ordered[j];
        }
    }
}

// A spectrum kept coarse: each bin its highest line, the nearest line where none falls in
// it, nothing beyond the spectrum.
TEST(Profile, EachBinHoldsItsHighestLine) {
    Spectrum s;
    for (int f = 0; f < 10; ++f) {
        s.frequency.push_back(f);
        s.amplitude.push_back(f % 3 == 0 ? 10 + f : f);
    }
    const struct {
        double top;
        std::size_t bins;
        std::vector<float> expected;
    } cases[] = {
        {10, 5, {10, 13, 5, 16, 19}},
        {20, 4, {13, 19, 0, 0}},
        {2, 4, {10, 1, 1, 2}}, // 0,5–1 and 1–1,5 Hz: the line at 1 Hz nearest both middles
    };
    for (const auto& c : cases) {
        const Profile p = profileOf(s, c.top, c.bins);
        EXPECT_EQ(p.amplitude, c.expected) << c.top << " " << c.bins;
        EXPECT_EQ(p.top, c.top);
    }
    EXPECT_EQ(profileOf(Spectrum{}, 10, 3).amplitude, (std::vector<float>{0, 0, 0}));
}

// ---- The series ----------------------------------------------------------------------------

SynthSettings bearing6205() {
    SynthSettings s;
    s.fault = FaultFamily::Outer;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.sampleRate = 20000;
    s.seconds = 1;
    return s;
}

SeriesSettings judgedFor(const SynthSettings& s) {
    SeriesSettings settings;
    settings.bases = {s.Fo, s.Fi, s.Fw, s.Fq, s.Fr};
    return settings;
}

class Series : public test::TempDirTest {
protected:
    // The series' records as WAV files named in reverse of their time, so that only their
    // times put them in order.
    void writeSeries(const SynthSettings& bearing, const SynthSeries& series) {
        for (int i = 0; i < series.records; ++i) {
            const SynthSettings s = seriesRecord(bearing, series, i);
            const std::string name = std::to_string(series.records - i) + "_2026.01.01." +
                                     (i < 10 ? "0" : "") + std::to_string(i) + ".00.00.wav";
            ASSERT_EQ(writeFileAtomically(dir_ / name, encodeWav(synthesize(s), 20000)), 0);
        }
    }

    std::vector<SeriesRow> trend(const SeriesSettings& settings, unsigned threads) {
        std::vector<SeriesRow> rows;
        runSeries(
            seriesEntries({dir_}), settings,
            [&](SeriesRow&& row) { rows.push_back(std::move(row)); }, {}, threads);
        return rows;
    }
};

// Noise and the shaft only, then an outer-race fault from record 9 on, growing, the speed
// wandering ±1 %: the outer race is flagged from record 9 and no other family ever is;
// the rows come in time order whatever the threads, with the same numbers.
TEST_F(Series, AFaultIsFlaggedFromTheRecordItStartsOnAndNothingElseIs) {
    const SynthSettings bearing = bearing6205();
    const SynthSeries series{24, 9, 0.01};
    writeSeries(bearing, series);
    const std::vector<SeriesRow> rows = trend(judgedFor(bearing), 3);
    ASSERT_EQ(rows.size(), 24u);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(rows[i].entry.time.seconds, 1767225600 + std::int64_t(i) * 3600)
            << rows[i].entry.path;
        EXPECT_EQ(rows[i].entry.time.source, TimeSource::Name);
        EXPECT_TRUE(rows[i].problem.empty()) << rows[i].problem;
    }
    EXPECT_EQ(firstFlagged(rows, FaultFamily::Outer), 9u);
    EXPECT_EQ(firstFlagged(rows, FaultFamily::Outer, Verdict::Strong), 9u);
    for (const FaultFamily other : {FaultFamily::Inner, FaultFamily::Ball, FaultFamily::Cage}) {
        EXPECT_EQ(firstFlagged(rows, other), std::nullopt) << faultFamily(other).key;
    }
    // The fault's line rises with it; the levels with it.
    const auto outer = [&](std::size_t i) { return rows[i].families[0].decibels.value_or(0); };
    EXPECT_GT(outer(9), outer(8) + 10);
    EXPECT_GT(rows[23].levels->kurtosis, rows[9].levels->kurtosis);
    SeriesSettings withProfiles = judgedFor(bearing);
    withProfiles.profiles = true;
    const std::vector<SeriesRow> alone = trend(withProfiles, 1);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        EXPECT_EQ(trendLine(alone[i]), trendLine(rows[i]));
        EXPECT_EQ(alone[i].spectrum.amplitude.size(), kProfileBins);
        EXPECT_EQ(alone[i].envelope.amplitude.size(), kProfileBins);
        EXPECT_TRUE(rows[i].spectrum.amplitude.empty()); // kept only when asked for
    }
    // The envelope's profile reaches the sixth harmonic of the highest family, Fi; the fault's
    // line stands out of it once the fault has begun.
    EXPECT_NEAR(alone[0].envelope.top, 6 * 162.570155844156, 1e-9);
    const auto atFo = [&](std::size_t i) {
        const Profile& p = alone[i].envelope;
        return p.amplitude[static_cast<std::size_t>(106.98 / p.top * kProfileBins)];
    };
    EXPECT_GT(atFo(12), 5 * atFo(3));
}

// A file that is no record is a row that says why; the rest go on.
TEST_F(Series, ARecordThatCannotBeReadIsARowThatSaysWhy) {
    SynthSettings s = bearing6205();
    s.fault.reset();
    ASSERT_EQ(
        writeFileAtomically(dir_ / "2026.01.01.00.00.00.wav", encodeWav(synthesize(s), 20000)), 0);
    ASSERT_EQ(writeFileAtomically(dir_ / "2026.01.01.00.10.00.wav", "RIFF, but no more"), 0);
    ASSERT_EQ(writeFileAtomically(dir_ / "2026.01.01.00.20.00.txt", "Hz;A\n1;1\n2;1\n3;1\n"), 0);
    ASSERT_EQ(writeFileAtomically(dir_ / ".hidden", "x"), 0);
    std::filesystem::create_directories(dir_ / "sub");
    const std::vector<SeriesRow> rows = trend(judgedFor(s), 2);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_TRUE(rows[0].levels);
    EXPECT_FALSE(rows[1].levels);
    EXPECT_TRUE(rows[1].problem.starts_with("Файл «2026.01.01.00.10.00.wav»: ")) << rows[1].problem;
    EXPECT_EQ(rows[2].problem, "Файл «2026.01.01.00.20.00.txt»: в нём спектр, а не запись сигнала");
    // Its measured fields empty, its last the reason.
    const std::string line = trendLine(rows[1]);
    EXPECT_TRUE(line.starts_with("2026-01-01 00:10:00\tname\t2026.01.01.00.10.00.wav\t\t\t\t\t"))
        << line;
    EXPECT_TRUE(line.ends_with(rows[1].problem + "\n")) << line;
    const std::string header = trendHeader();
    EXPECT_EQ(std::count(line.begin(), line.end(), '\t'),
              std::count(header.begin(), header.end(), '\t'));
    EXPECT_THROW(seriesEntries({dir_ / "absent"}), SpectrumFileError);
}

// A cancel stops the work: the rows handed on stay, no more come.
TEST_F(Series, ACancelStopsTheSeries) {
    SynthSettings s = bearing6205();
    writeSeries(s, {12, 6, 0.01});
    std::atomic<bool> cancel = false;
    std::size_t handed = 0;
    EXPECT_THROW(runSeries(
                     seriesEntries({dir_}), judgedFor(s),
                     [&](SeriesRow&&) {
                         if (++handed == 2) {
                             cancel = true;
                         }
                     },
                     Progress(nullptr, &cancel), 2),
                 SpectrumCancelled);
    EXPECT_GE(handed, 2u);
    EXPECT_LT(handed, 12u);
}

// ---- Against a baseline -----------------------------------------------------------------

// A spectrum of lines on a flat floor, one line at 100 Hz of `fault` and one at 60 Hz of 4.
Spectrum linesOnAFloor(double fault, double step = 1) {
    Spectrum s;
    s.resolution = step;
    for (double f = 0; f <= 400; f += step) {
        s.frequency.push_back(f);
        s.amplitude.push_back(f == 100 ? fault : f == 60 ? 4 : 0.1 + 0.001 * std::fmod(f, 7));
    }
    return s;
}

// The line that rose is listed with its rise; the one that stayed is not; a baseline of
// other lines is read between them; beyond its span nothing is compared.
TEST(Difference, RisenLinesAreThoseAboveTheAlarm) {
    const Spectrum before = linesOnAFloor(0.5, 2);            // coarser lines, a shorter span:
    Spectrum now = linesOnAFloor(5);                          // 100 Hz rose 20 dB
    now.frequency.push_back(500), now.amplitude.push_back(9); // beyond the baseline's span
    const Spectrum d = differenceSpectrum(now, before);
    EXPECT_EQ(d.frequency.back(), 400);
    EXPECT_NEAR(d.amplitude[100], 20, 1e-9);
    EXPECT_NEAR(d.amplitude[60], 0, 1e-9);
    EXPECT_EQ(amplitudeCaption(d.units), "Разность, дБ");
    const struct {
        double alarm;
        std::size_t listed;
    } cases[] = {{6, 1}, {19.9, 1}, {20.1, 0}};
    for (const auto& c : cases) {
        const std::vector<RisenLine> risen = risenLines(now, before, c.alarm);
        ASSERT_EQ(risen.size(), c.listed) << c.alarm;
        if (c.listed) {
            EXPECT_NEAR(risen[0].frequency, 100, 0.5);
            EXPECT_NEAR(risen[0].decibels, 20, 0.01);
            EXPECT_NEAR(risen[0].before, 0.5, 1e-9);
        }
    }
    // A baseline of nothing there counts as a millionth of its highest: no infinite rise.
    Spectrum silent = before;
    std::fill(silent.amplitude.begin(), silent.amplitude.end(), 0.0);
    silent.amplitude[0] = 1;
    EXPECT_NEAR(differenceSpectrum(now, silent).amplitude[100], 20 * std::log10(5 / 1e-6), 1e-9);
    EXPECT_TRUE(risenLines(now, Spectrum{}, 6).empty());
}

// ---- The document ----------------------------------------------------------------------

// A row read with this RMS, its outer race's line this high (none: no line) and verdict.
SeriesRow row(double rms, std::optional<double> outer, Verdict verdict = Verdict::None) {
    SeriesRow r;
    r.levels = Levels{};
    r.levels->rms = rms;
    r.families[0] = {FaultFamily::Outer, outer, 100, verdict};
    return r;
}

SeriesRow unread() {
    SeriesRow r;
    r.problem = "Файл «x»: его нет";
    return r;
}

TEST(SeriesDocument, BaselineAndAlarmsAreOverTheRecordsRead) {
    SeriesDocument d;
    // Records 0–5 healthy (0,1 g; no outer line or 2 dB), one unread among them; the level
    // doubles from 6 on; the outer line rises by 20 dB from 8 on, briefly at 3 alone.
    const std::vector<SeriesRow> rows = {row(0.1, std::nullopt),
                                         row(0.1, 2),
                                         unread(),
                                         row(0.1, 30, Verdict::Weak),
                                         row(0.1, 2),
                                         row(0.1, 2),
                                         row(0.2, 2),
                                         row(0.2, 2),
                                         row(0.25, 22, Verdict::Strong),
                                         row(0.25, 24, Verdict::Strong),
                                         row(0.3, 26, Verdict::Strong),
                                         row(0.3, 1)};
    for (const SeriesRow& r : rows) {
        d.add(r);
    }
    d.setBaselineFirst(3);
    EXPECT_EQ(d.baseline(), (std::vector<std::size_t>{0, 1, 3})); // the unread one passed over
    EXPECT_DOUBLE_EQ(*d.baselineLevel(TrendMeasure::Rms), 0.1);
    EXPECT_DOUBLE_EQ(*d.baselineLevel(TrendMeasure::Outer), (0 + 2 + 30) / 3.0);
    d.setBaselineChosen({5, 1, 4, 1, 99});
    EXPECT_EQ(d.baseline(), (std::vector<std::size_t>{1, 4, 5}));
    EXPECT_DOUBLE_EQ(*d.baselineLevel(TrendMeasure::Outer), 2);
    const struct {
        double rise;
        TrendMeasure measure;
        double alarm;
        std::optional<std::size_t> first;
    } cases[] = {
        {6.1, TrendMeasure::Rms, 0.1 * std::pow(10, 6.1 / 20.0), 8}, // 0,2 g is not above 0,2018
        {5, TrendMeasure::Rms, 0.1 * std::pow(10, 5 / 20.0), 6},     // it is above 0,178
        {6, TrendMeasure::Outer, 8, 8},                              // 30 dB at 3 alone: no run
        {30, TrendMeasure::Outer, 32, std::nullopt},
    };
    for (const auto& c : cases) {
        d.setAlarmRise(c.rise);
        EXPECT_NEAR(*d.alarmLevel(c.measure), c.alarm, 1e-12) << c.rise;
        EXPECT_EQ(d.firstAlarm(c.measure), c.first) << c.rise;
    }
    EXPECT_EQ(d.firstFlagged(FaultFamily::Outer, Verdict::Weak), 8u);
    EXPECT_EQ(d.firstFlagged(FaultFamily::Inner, Verdict::Weak), std::nullopt);
    EXPECT_EQ(d.baselineLevel(TrendMeasure::Kurtosis), 0); // read: 0 as every Levels{}
    // Each record's speed is its own, and no fault: a load that changes raises no alarm.
    SeriesRow judged = rows[0];
    judged.speed = {28.75, 29.95, SpeedSource::Spectrum, 1e-4, 6};
    EXPECT_EQ(measureOf(judged, TrendMeasure::ShaftSpeed), 28.75);
    EXPECT_EQ(measureOf(rows[0], TrendMeasure::ShaftSpeed), std::nullopt); // not judged
    judged.problem = "не прочитан";
    EXPECT_EQ(measureOf(judged, TrendMeasure::ShaftSpeed), std::nullopt);
    EXPECT_EQ(d.alarmLevel(TrendMeasure::ShaftSpeed), std::nullopt);
    d.setBaselineFirst(3);
    d.chooseForBaseline(7, true); // the first chosen: the baseline is it alone
    EXPECT_EQ(d.baseline(), (std::vector<std::size_t>{7}));
    d.chooseForBaseline(5, true);
    EXPECT_TRUE(d.inBaseline(5) && d.inBaseline(7) && !d.inBaseline(0));
    d.chooseForBaseline(7, false);
    d.chooseForBaseline(5, false); // the last out: the first records again
    EXPECT_FALSE(d.baselineChosen());
    EXPECT_EQ(d.baseline(), (std::vector<std::size_t>{0, 1, 3}));
    d.setBaselineChosen({2}); // only the unread one
    EXPECT_EQ(d.baselineLevel(TrendMeasure::Rms), std::nullopt);
    EXPECT_EQ(d.firstAlarm(TrendMeasure::Rms), std::nullopt);
}

TEST(SeriesDocument, StepsStopAtTheEnds) {
    SeriesDocument d;
    EXPECT_EQ(d.step(1), std::nullopt);
    d.add(row(1, 1));
    d.add(row(1, 1));
    EXPECT_EQ(d.step(1), 0u);  // nothing open: the first
    EXPECT_EQ(d.step(-1), 1u); // or the last
    d.setCurrent(1);
    EXPECT_EQ(d.step(1), std::nullopt);
    EXPECT_EQ(d.step(-1), 0u);
    d.setCurrent(7);
    EXPECT_EQ(d.current(), std::nullopt);
}

} // namespace
} // namespace orbistan
