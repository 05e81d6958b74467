// The spectrum core on inputs whose answers are known: text files in every shape the
// collectors export, sines of known amplitude, and a synthetic bearing fault.
#include "spectrum/diagnosis/evidence.h"
#include "spectrum/diagnosis/explain.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/decimate.h"
#include "spectrum/dsp/extremes.h"
#include "spectrum/io/audio.h"
#include "spectrum/io/formats.h"
#include "spectrum/io/text_file.h"

#include "calc/frequencies.h"
#include "platform/atomic_file.h"
#include "temp_dir.h"

#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/resource.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>

namespace orbistan {
namespace {

// ---- Text spectra ----------------------------------------------------------------------

struct TextCase {
    const char* name;
    const char* bytes;
};

class TextSpectrumShapes : public testing::TestWithParam<TextCase> {};

// Each shape holds the lines 10 → 0.5, 20.25 → 1.5, 30 → 0.001.
TEST_P(TextSpectrumShapes, ReadTheSameAsTheCleanTwin) {
    const TextContents c = readTextFile(GetParam().bytes, "x.csv");
    ASSERT_TRUE(c.spectrum);
    EXPECT_EQ(c.spectrum->frequency, (std::vector<double>{10, 20.25, 30}));
    EXPECT_EQ(c.spectrum->amplitude, (std::vector<double>{0.5, 1.5, 0.001}));
    EXPECT_EQ(c.readAs, ""); // nothing else it could be: amplitudes never below zero
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, TextSpectrumShapes,
    testing::Values(TextCase{"clean", "10 0.5\n20.25 1.5\n30 0.001\n"},
                    TextCase{
                        "comma_header_blanks",
                        "Частота, Гц;Амплитуда\r\n\r\n10;0,5\r\n\r\n20,25;1,5\r\n30;1e-3\r\n\r\n"},
                    TextCase{"csv_points", "freq,amp,phase\n10,0.5,1\n20.25,1.5,2\n30,0.001,3"},
                    TextCase{"tabs_comma", "# exported\n10\t0,5\n20,25\t1,5\t\n30\t0,001\n"},
                    TextCase{"blanks_comma", "  10   0,5\n20,25 1,5\n% note\n30 +0,001\n"},
                    TextCase{"old_mac_lines", "f a\r10 0.5\r20.25 1.5\r30 0.001"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TextSpectrum, TakesTheHeadersAmplitudeCaption) {
    EXPECT_EQ(amplitudeCaption(readTextSpectrum("Hz;Скорость, мм/с\n1;2\n2;3\n3;4\n", "a").units),
              "Скорость, мм/с");
    EXPECT_EQ(amplitudeCaption(readTextSpectrum("1;2\n2;3\n3;4\n", "a").units), "Амплитуда");
}

struct BadText {
    std::string_view bytes;
    const char* message;
};

// 200 lines rising but for the 150th, which repeats the frequency before it.
std::string_view BadSpectrumOfALongRise() {
    static const std::string bytes = [] {
        std::string b;
        for (int i = 0; i < 200; ++i) {
            b += std::to_string(i == 149 ? 148 : i) + " " + std::to_string(i % 7) + "\n";
        }
        return b;
    }();
    return bytes;
}

class TextSpectrumRefusals : public testing::TestWithParam<BadText> {};

TEST_P(TextSpectrumRefusals, NameTheFileAndTheLine) {
    try {
        readTextFile(GetParam().bytes, "замер.txt");
        FAIL() << "read";
    } catch (const SpectrumFileError& e) {
        EXPECT_EQ(std::string(e.what()), std::string("Файл «замер.txt»: ") + GetParam().message);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Refusals, TextSpectrumRefusals,
    testing::Values(
        BadText{"Гц;A\n1;1\n2;2\n2;3\n", "строка 4: частоты должны возрастать"},
        BadText{"1 1\n2 2\n3 x\n", "строка 3: «x» не число"},
        BadText{"1 1\n\n2 2\nend\n", "строка 4: «end» не число"},
        BadText{"1 1\n2 2\n3\n", "строка 3: ожидались два числа: частота и "
                                 "амплитуда"},
        BadText{"Hz a\n1 1\n-2 2\n3 3\n", "строка 3: отрицательная частота"},
        BadText{"1 nan\n2 2\n", "в нём меньше трёх строк с числами"},
        BadText{"1 1\n2 1e999\n3 1\n", "строка 2: «1e999» не число"},
        BadText{"header only\n", "в нём меньше трёх строк с числами"},
        // A spectrum that rises on all but one of its lines stays a spectrum,
        // refused where it falls, not read as a record.
        BadText{BadSpectrumOfALongRise(), "строка 150: частоты должны возрастать"},
        // Records: every line as wide as the first, every field a number, and
        // time that keeps its step.
        BadText{"0.5 1\n-0.5 2 7\n0.25 1\n", "строка 2: 3 чисел, а в первой "
                                             "строке с числами 2"},
        BadText{"1\n-1\n2\n3 x\n", "строка 4: «x» не число"},
        BadText{"1 -1 5\n-1 1 x\n2 3 4\n", "строка 2: «x» не число"},
        BadText{"time,a\n0,1\n0.001,2\n0.001,3\n",
                "строка 4: время в первом столбце должно возрастать"},
        BadText{"time,a\n0,1\n0.001,2\n0.0026,3\n0.003,4\n",
                "строка 4: время идёт не через равные промежутки: частоту "
                "дискретизации по нему не определить"},
        BadText{"time\n0\n0.001\n0.002\n", "в нём нет столбцов с отсчётами после столбца времени"},
        BadText{"-1 1\n1 2\n", "в нём меньше трёх строк с числами"},
        BadText{std::string_view("1 1\n2\0 2\n", 9), "строка 2: это не текст (двоичные данные)"}));

// ---- Text records ----------------------------------------------------------------------

struct TextRecordCase {
    const char* name;
    const char* bytes;
    TextLayout asked;
    std::optional<int> channel;
    std::vector<double> samples;
    double rate; // 0: none stated
    std::vector<std::string> columns;
};

class TextRecordShapes : public testing::TestWithParam<TextRecordCase> {};

TEST_P(TextRecordShapes, ReadTheChannelAtTheRateTheyShow) {
    const TextRecordCase& c = GetParam();
    const TextContents t = readTextFile(c.bytes, "x.txt", c.asked, c.channel);
    ASSERT_TRUE(t.record);
    EXPECT_FALSE(t.spectrum);
    EXPECT_EQ(t.record->samples, c.samples);
    EXPECT_EQ(t.record->rateStated, c.rate != 0);
    EXPECT_DOUBLE_EQ(t.record->sampleRate, c.rate != 0 ? c.rate : kDefaultTextSampleRate);
    EXPECT_EQ(t.columns, c.columns);
    EXPECT_EQ(t.record->channels, static_cast<int>(c.columns.size()));
    EXPECT_EQ(t.readAs, "");
}

INSTANTIATE_TEST_SUITE_P(
    Shapes, TextRecordShapes,
    testing::Values(
        // Four bearings' channels as a run-to-failure test writes them: tabs, no header.
        TextRecordCase{"tabs_four_channels",
                       "-0.049\t-0.071\t-0.132\t-0.010\n0.063\t0.088\t0.061\t0.002\n"
                       "-0.015\t0.005\t0.012\t-0.017\n",
                       TextLayout::Auto,
                       1,
                       {-0.071, 0.088, 0.005},
                       0,
                       {"Столбец 1", "Столбец 2", "Столбец 3", "Столбец 4"}},
        TextRecordCase{"captioned_channels",
                       "Horizontal_vibration_signals,Vertical_vibration_signals\n"
                       "0.1,-0.2\n-0.3,0.4\n0.2,0.1\n",
                       TextLayout::Auto,
                       std::nullopt,
                       {0.1, -0.3, 0.2},
                       0,
                       {"Horizontal_vibration_signals", "Vertical_vibration_signals"}},
        // Time of day first, in whole hours: it never rises, so it is a channel.
        TextRecordCase{
            "clock_columns",
            "9,39,39,65664,0.552,-0.146\n9,39,39,65703,0.501,-0.48\n"
            "9,39,39,65742,0.138,0.435\n",
            TextLayout::Auto,
            4,
            {0.552, 0.501, 0.138},
            0,
            {"Столбец 1", "Столбец 2", "Столбец 3", "Столбец 4", "Столбец 5", "Столбец 6"}},
        TextRecordCase{"one_column",
                       "0.5\n-0.25\n1\n-1\n",
                       TextLayout::Auto,
                       std::nullopt,
                       {0.5, -0.25, 1, -1},
                       0,
                       {"Столбец 1"}},
        TextRecordCase{"time_captioned",
                       "Time (s);Acceleration, g\n0;0,1\n0,0001;-0,2\n0,0002;0,3\n0,0003;-0,1\n",
                       TextLayout::Auto,
                       std::nullopt,
                       {0.1, -0.2, 0.3, -0.1},
                       10000,
                       {"Acceleration, g"}},
        TextRecordCase{"time_chosen",
                       "0 0.1\n0.0005 -0.2\n0.001 0.3\n",
                       TextLayout::Timed,
                       std::nullopt,
                       {0.1, -0.2, 0.3},
                       2000,
                       {"Столбец 2"}},
        TextRecordCase{"channels_chosen",
                       "10 0.5\n20 1.5\n30 0.001\n",
                       TextLayout::Channels,
                       0,
                       {10, 20, 30},
                       0,
                       {"Столбец 1", "Столбец 2"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A rising first column and amplitudes of both signs: a spectrum, as ever, but the user is
// told how it was read and how to read it as a record.
TEST(TextRecord, AFileThatCouldBeEitherSaysHowItWasRead) {
    const char* bytes = "0 0.1\n0.0005 -0.2\n0.001 0.3\n0.0015 -0.1\n";
    const TextContents t = readTextFile(bytes, "x.txt");
    ASSERT_TRUE(t.spectrum);
    EXPECT_NE(t.readAs.find("прочитан как спектр"), std::string::npos) << t.readAs;
    EXPECT_EQ(readTextFile(bytes, "x.txt", TextLayout::Spectrum).readAs, ""); // as asked
    EXPECT_EQ(readTextFile(bytes, "x.txt", TextLayout::Timed).record->sampleRate, 2000);
}

TEST(TextRecord, AChannelTheFileLacksIsRefused) {
    try {
        readTextFile("1 2\n-1 3\n2 1\n", "x.txt", TextLayout::Auto, 2);
        FAIL() << "read";
    } catch (const SpectrumFileError& e) {
        EXPECT_EQ(e.problem().kind, ProblemKind::NotOffered);
        EXPECT_EQ(std::string(e.what()), "Файл «x.txt»: в нём нет канала 3");
    }
}

// ---- Transforms ------------------------------------------------------------------------

std::vector<double> sine(double amplitude, double frequency, double rate, std::size_t n) {
    std::vector<double> x(n);
    for (std::size_t i = 0; i < n; ++i) {
        x[i] = amplitude * std::sin(2 * std::numbers::pi * frequency * i / rate + 0.3);
    }
    return x;
}

// The flat-top window reads a sine's amplitude wherever it falls between two lines.
TEST(Transform, FlatTopReadsASinesAmplitudeWithinATenthOfAPercent) {
    const double rate = 12800; // 3200 lines: 8192 samples, lines 1,5625 Hz apart
    for (const double f : {1000.0, 1000.78125, 1000.4, 2345.6789}) {
        const Spectrum s =
            amplitudeSpectrum(sine(2.5, f, rate, 40000), rate, {WindowKind::FlatTop, 3200});
        const std::vector<Peak> top = findPeaks(s, 1);
        ASSERT_EQ(top.size(), 1u) << f;
        EXPECT_NEAR(top[0].amplitude, 2.5, 2.5e-3) << f;
        EXPECT_NEAR(top[0].frequency, f, s.resolution / 2) << f;
    }
    const Spectrum rms = amplitudeSpectrum(sine(2.5, 1000, rate, 40000), rate,
                                           {WindowKind::FlatTop, 3200, Scaling::Rms});
    EXPECT_NEAR(findPeaks(rms, 1).at(0).amplitude, 2.5 / std::numbers::sqrt2, 2.5e-3);
    EXPECT_EQ(amplitudeCaption(rms.units), "Амплитуда, СКЗ");
}

// The peaks are exactly the local maxima standing twice above the median of their
// neighbourhood, whatever the spectrum: ties, plateaus and the ends included.
TEST(Peaks, AreTheMaximaAboveTwiceTheirNeighbourhoodsMedian) {
    std::uint32_t state = 7;
    for (const int levels : {3, 50, 100000}) {
        Spectrum s;
        for (std::size_t k = 0; k < 4000; ++k) {
            state = state * 1664525u + 1013904223u;
            s.frequency.push_back(static_cast<double>(k));
            s.amplitude.push_back(static_cast<double>((state >> 8) % levels) *
                                  (k % 97 == 0 ? 9 : 1));
        }
        const std::vector<Peak> found = findPeaks(s, s.frequency.size());
        std::vector<std::size_t> lines;
        for (const Peak& p : found) {
            lines.push_back(p.line);
        }
        std::sort(lines.begin(), lines.end());
        std::vector<std::size_t> expected;
        const std::vector<double>& a = s.amplitude;
        for (std::size_t k = std::max<std::size_t>(1, firstResolvableLine(s)); k + 1 < a.size();
             ++k) {
            if (a[k] > a[k - 1] && a[k] >= a[k + 1] && a[k] > kPeakOverFloor * noiseFloor(s, k)) {
                expected.push_back(k);
            }
        }
        EXPECT_EQ(lines, expected) << levels;
        EXPECT_FALSE(expected.empty()) << levels;
    }
}

// A slow drift of the record (a sensor settling, a machine's thermal growth) leaks into the
// lowest lines, however the record is windowed: they are not peaks, and the value axis is
// not theirs. Velocity magnifies them most, and a cut-off's edge is no peak either.
TEST(Peaks, TheLowestLinesAreTheRecordsDriftNotPeaks) {
    const double rate = 1280; // 3200 lines 0,156 Hz apart below 500 Hz
    std::vector<double> x = sine(0.05, 107.3, rate, 1 << 15);
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] += 2.0 * std::sin(2 * std::numbers::pi * 0.2 * double(i) / rate) + 0.5;
    }
    const struct {
        WindowKind window;
        std::size_t first; // twice the main lobe's half-width
    } cases[] = {{WindowKind::Rect, 2}, {WindowKind::Hann, 4}, {WindowKind::FlatTop, 10}};
    for (const auto& c : cases) {
        Spectrum s = amplitudeSpectrum(x, rate, {c.window, 3200});
        s.units = unitsFromCaption("Ускорение, g");
        SCOPED_TRACE(static_cast<int>(c.window));
        EXPECT_EQ(firstResolvableLine(s), c.first);
        const std::vector<Peak> top = findPeaks(s, 3);
        ASSERT_FALSE(top.empty());
        EXPECT_NEAR(top[0].frequency, 107.3, s.resolution);
        for (const Peak& p : top) {
            EXPECT_GE(p.line, c.first);
        }
        // As velocity from 10 Hz: the cut-off's first line is an edge, not a peak.
        const Spectrum v = *toVelocity(s, 10);
        EXPECT_EQ(v.frequency[firstResolvableLine(v) - 1] >= 10, true);
        EXPECT_NEAR(findPeaks(v, 1).at(0).frequency, 107.3, s.resolution);
    }
}

// A tone anywhere between two lines is placed within 2 % of a line, whatever the window,
// averaged or whole; its amplitude reads as before.
TEST(Peaks, ATonesFrequencyIsExactBetweenTheLinesForEveryWindow) {
    const double rate = 12800; // 3200 lines: 8192 samples, lines 1,5625 Hz apart
    for (const WindowKind window : {WindowKind::Hann, WindowKind::FlatTop, WindowKind::Rect}) {
        for (const int lines : {3200, 0}) {
            for (const double offset : {0.0, 0.1, 0.25, 0.37, 0.5, 0.63, 0.9}) {
                const double resolution = lines ? rate / 8192 : rate / 40000;
                const double f = (640 + offset) * resolution;
                const Spectrum s = amplitudeSpectrum(sine(2, f, rate, 40000), rate,
                                                     {window, lines, Scaling::Peak});
                const std::vector<Peak> top = findPeaks(s, 1);
                ASSERT_EQ(top.size(), 1u);
                EXPECT_NEAR(top[0].frequency, f, 0.02 * resolution)
                    << static_cast<int>(window) << " " << lines << " " << offset;
                EXPECT_EQ(top[0].amplitude, s.amplitude[top[0].line]);
            }
        }
    }
    // The shaft's line is placed as exactly, whatever the window: the speed is fitted to it.
    for (const WindowKind window : {WindowKind::Hann, WindowKind::FlatTop, WindowKind::Rect}) {
        std::vector<double> x = sine(1, 29.95, rate, 60000);
        const std::vector<double> second = sine(0.3, 59.9, rate, 60000);
        for (std::size_t i = 0; i < x.size(); ++i) {
            x[i] += second[i];
        }
        const Spectrum s = amplitudeSpectrum(x, rate, {window, 3200, Scaling::Peak});
        const double fr = refinedFrequency(s, snapToPeak(s, 30, 1.5));
        EXPECT_NEAR(fr, 29.95, 0.02 * s.resolution) << static_cast<int>(window);
    }
    // A file's spectrum, of no known window, keeps the parabola through the logarithms.
    Spectrum file;
    file.frequency = {0, 1, 2, 3, 4};
    file.amplitude = {0.1, 0.5, 1, 0.5, 0.1};
    EXPECT_EQ(refinedFrequency(file, 2), 2.0);
}

TEST(Transform, LinesSetTheResolutionAndTheWholeRecordTheRest) {
    const std::vector<double> x = sine(1, 440.3, 48000, 48000);
    const Spectrum lines = amplitudeSpectrum(x, 48000, {WindowKind::Hann, 400});
    EXPECT_EQ(lines.frequency.size(), 401u);
    EXPECT_DOUBLE_EQ(lines.resolution, 48000.0 / 1024);
    const Spectrum whole = amplitudeSpectrum(x, 48000, {WindowKind::Rect, 0});
    EXPECT_EQ(whole.frequency.size(), 24001u);
    EXPECT_DOUBLE_EQ(whole.resolution, 1.0);
    // Hann's frequency, refined between the lines, lands within a tenth of a line.
    EXPECT_NEAR(findPeaks(lines, 1).at(0).frequency, 440.3, lines.resolution / 10);
    // A record shorter than one segment is taken whole.
    EXPECT_EQ(amplitudeSpectrum(sine(1, 50, 1000, 100), 1000, {}).frequency.size(), 51u);
}

// The segments as the averaging takes them: a record of ten Hann segments (1024 samples)
// holds 10, 19, 28 or 37 of them overlapping by 0, 50, 67 or 75 %, auto overlapping by half
// (by nothing for the rectangular window), and a count takes the first ones only: a tone
// that starts in the fifth segment is not in the first four. Peak hold reads a burst in one
// segment of nineteen at its full amplitude; averaged, it reads it √19 times smaller.
TEST(Transform, TheAveragingTakesTheSegmentsAsAnalysersDo) {
    const double rate = 10240; // 400 lines: segments of 1024 samples, 10 Hz apart
    const std::vector<double> steady = sine(1, 1000, rate, 10240);
    const struct {
        WindowKind window;
        Averaging averaging;
        int averages;
        int segments;
    } cases[] = {{WindowKind::Hann, Averaging::Overlap0, 0, 10},
                 {WindowKind::Hann, Averaging::Overlap50, 0, 19},
                 {WindowKind::Hann, Averaging::Overlap67, 0, 28},
                 {WindowKind::Hann, Averaging::Overlap75, 0, 37},
                 {WindowKind::Hann, Averaging::Auto, 0, 19},
                 {WindowKind::Rect, Averaging::Auto, 0, 10},
                 {WindowKind::Rect, Averaging::Overlap50, 0, 19},
                 {WindowKind::Hann, Averaging::PeakHold, 0, 19},
                 {WindowKind::Hann, Averaging::Auto, 4, 4},
                 {WindowKind::Hann, Averaging::Overlap75, 100, 37}};
    for (const auto& c : cases) {
        const Spectrum sp = amplitudeSpectrum(
            steady, rate, {c.window, 400, Scaling::Peak, 0, c.averaging, c.averages});
        EXPECT_EQ(sp.segments, c.segments) << termOf(kAveragingTerms, c.averaging).key;
        EXPECT_EQ(sp.peakHold, c.averaging == Averaging::PeakHold);
        // A steady tone on a line reads its amplitude however the segments are combined.
        EXPECT_NEAR(sp.amplitude[100], 1, 1e-9) << termOf(kAveragingTerms, c.averaging).key;
    }
    std::vector<double> late(10240, 0.0);
    std::copy(steady.begin() + 4096, steady.end(), late.begin() + 4096);
    const Spectrum first4 = amplitudeSpectrum(
        late, rate, {WindowKind::Hann, 400, Scaling::Peak, 0, Averaging::Overlap0, 4});
    EXPECT_LT(first4.amplitude[100], 1e-12);

    std::vector<double> burst(10240, 0.0);
    std::copy(steady.begin() + 5120, steady.begin() + 6144, burst.begin() + 5120);
    const auto at1000 = [&](Averaging a) {
        return amplitudeSpectrum(burst, rate, {WindowKind::Hann, 400, Scaling::Peak, 0, a})
            .amplitude[100];
    };
    EXPECT_NEAR(at1000(Averaging::PeakHold), 1, 1e-9);
    // Its neighbours half in it hold a quarter of its power each: (1 + 2/4) / 19 of it in all.
    EXPECT_NEAR(at1000(Averaging::Auto), std::sqrt(1.5 / 19), 1e-3);
    EXPECT_EQ(lineSpacingText(amplitudeSpectrum(
                  burst, rate, {WindowKind::Hann, 400, Scaling::Peak, 0, Averaging::PeakHold})),
              "шаг 10 Гц, до 4000 Гц, пиковое удержание: 19");
}

// A span narrower than the record's band: the record is filtered and decimated, so the
// lines grow fine and what lies above the span never folds into it.
TEST(Transform, ASpanDecimatesWithoutFoldingOrLosingAmplitude) {
    struct Case {
        double rate, span;
        int lines;
        std::size_t factor;
    };
    for (const Case c : {Case{48000, 500, 3200, 37}, Case{12000, 1000, 800, 4},
                         Case{25600, 5000, 1600, 2}, Case{50000, 600, 0, 32}}) {
        const std::size_t factor = decimationFactor(c.rate, c.span);
        ASSERT_EQ(factor, c.factor) << c.rate << " " << c.span;
        const double nyquist = c.rate / static_cast<double>(2 * factor);
        const std::size_t n = static_cast<std::size_t>(c.rate * 12);
        // Within the span, just below its edge, and two tones that would fold onto it.
        const double inside = 0.37 * c.span, edge = 0.99 * c.span;
        const double folding = 1.5 * nyquist, nearFold = 1.25 * nyquist;
        std::vector<double> x = sine(1, inside, c.rate, n);
        for (const auto& [a, f] :
             {std::pair{0.5, edge}, std::pair{3.0, folding}, std::pair{3.0, nearFold}}) {
            const std::vector<double> t = sine(a, f, c.rate, n);
            for (std::size_t i = 0; i < n; ++i) {
                x[i] += t[i];
            }
        }
        const Spectrum s =
            amplitudeSpectrum(x, c.rate, {WindowKind::FlatTop, c.lines, Scaling::Peak, c.span});
        const std::string where = std::to_string(c.rate) + " " + std::to_string(c.span);
        EXPECT_GE(s.frequency.back(), c.span) << where;
        EXPECT_LE(s.frequency.back(), nyquist * 2 / 2.56 * (1 + 1e-9)) << where;
        if (c.lines) {
            EXPECT_EQ(s.frequency.size(), static_cast<std::size_t>(c.lines) + 1) << where;
            EXPECT_NEAR(s.resolution, 2 * nyquist / (2.56 * c.lines), 1e-9) << where;
        }
        const auto at = [&s](double f) {
            return s.amplitude[static_cast<std::size_t>(std::lround(f / s.resolution))];
        };
        EXPECT_NEAR(at(inside), 1, 3e-3) << where;
        EXPECT_NEAR(at(edge), 0.5, 1.5e-3) << where;
        for (const double f : {folding, nearFold}) {
            const double folded = 2 * nyquist - f;
            EXPECT_LT(at(folded), 3 * 1e-4) << where << " " << f; // 80 dB under the tone
        }
    }
    // A span the record's rate cannot narrow takes the whole band, as no span does.
    const std::vector<double> x = sine(1, 440.3, 12000, 48000);
    EXPECT_EQ(amplitudeSpectrum(x, 12000, {WindowKind::Hann, 800, Scaling::Peak, 4000}).amplitude,
              amplitudeSpectrum(x, 12000, {WindowKind::Hann, 800}).amplitude);
    EXPECT_EQ(decimationFactor(12000, 0), 1u);
    // A record shorter than the filter is refused, saying how long it would have to be,
    // before the filter is made: its length, and the memory, grow as one over the span. It
    // is never passed off as the spectrum of the span asked for.
    const struct {
        double span;
        const char* message;
    } tooShort[] = {
        {100, "макс. частота 100 Гц: запись слишком коротка: для такой полосы в ней должно быть "
              "не меньше 4885 отсчётов (0,2 с), а их 500"},
        {1e-9, "макс. частота 1e-09 Гц: запись слишком коротка: для такой полосы в ней должно "
               "быть не меньше 4,89554435769e+14 отсчётов (10199050745,2 с), а их 500"},
    };
    for (const auto& c : tooShort) {
        try {
            amplitudeSpectrum(sine(1, 50, 48000, 500), 48000,
                              {WindowKind::Hann, 400, Scaling::Peak, c.span});
            ADD_FAILURE() << c.span;
        } catch (const SpectrumFileError& e) {
            EXPECT_STREQ(e.what(), c.message);
            EXPECT_EQ(e.problem().kind, ProblemKind::Unsuited);
        }
    }
    EXPECT_EQ(samplesToNarrow(48000, 100), 4885);
    EXPECT_EQ(samplesToNarrow(48000, 0), 0);
    EXPECT_EQ(samplesToNarrow(48000, 20000), 0); // no narrowing
    std::atomic<bool> cancel{true};
    EXPECT_THROW(amplitudeSpectrum(sine(1, 50, 48000, 480000), 48000,
                                   {WindowKind::Hann, 400, Scaling::Peak, 100},
                                   Progress(nullptr, &cancel)),
                 SpectrumCancelled);
}

TEST(Transform, CancelStopsTheWork) {
    std::atomic<bool> cancel{true};
    const std::vector<double> x = sine(1, 50, 1000, 100000);
    EXPECT_THROW(amplitudeSpectrum(x, 1000, {}, Progress(nullptr, &cancel)), SpectrumCancelled);
}

// ---- Explanations ----------------------------------------------------------------------

// A 6205 at 1797 rpm.
Results bearing6205() {
    BearingInputs in;
    in.Z = 9, in.Fr = 1797.0 / 60, in.dw = 7.94, in.D = 52, in.d = 25, in.a = 0;
    in.Dm = (in.D + in.d) / 2;
    in.multipliers.fill(1);
    return *computeFrequencies(in);
}

SearchBases bases6205() {
    const Results r = bearing6205();
    return {r[Fo], r[Fi], r[Fw], r[Fq], 1797.0 / 60};
}

struct TieCase {
    const char* name;
    double frequency;
    const char* expected;
};

class Explanations : public testing::TestWithParam<TieCase> {};

// Kinematic twins tie exactly; the analyst must read the simple one.
TEST_P(Explanations, TwinsGoToTheSimplest) {
    const SearchBases b = bases6205();
    const double f = GetParam().frequency * 1; // as measured: a little off
    const std::vector<Explanation> e =
        explainFrequency(f + 0.05, b, SearchParameters{0, 1, 1, 10, 1000}, 1, 1.5625);
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.front().name, GetParam().expected);
}

const SearchBases k6205 = bases6205();
INSTANTIATE_TEST_SUITE_P(Ties, Explanations,
                         testing::Values(TieCase{"Fo_not_9Fq", k6205.Fo, "Fo"},
                                         TieCase{"FiFr_not_FrFq", k6205.Fi + k6205.Fr, "Fi + Fr"},
                                         TieCase{"Fw2", 2 * k6205.Fw, "2·Fw"},
                                         TieCase{"Fr3", 3 * k6205.Fr, "3·Fr"},
                                         TieCase{"Fi_minus_Fr", k6205.Fi - k6205.Fr, "Fi - Fr"}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Explanation, ResidualsBeyondTheResolutionAreNotTies) {
    // 3·Fr is 0,9 Hz away from the peak, Fo + Fq... whatever the search offers nearer wins
    // when the resolution is fine enough to tell them apart.
    const SearchBases b = bases6205();
    const double f = 3 * b.Fr + 0.9;
    const auto coarse = explainFrequency(f, b, {0, 1, 1, 10, 1000}, 1, 5.0);
    const auto fine = explainFrequency(f, b, {0, 1, 1, 10, 1000}, 1, 0.01);
    ASSERT_FALSE(coarse.empty());
    ASSERT_FALSE(fine.empty());
    EXPECT_EQ(coarse.front().name, "3·Fr");
    EXPECT_LE(fine.front().residual, coarse.front().residual);
    EXPECT_NE(fine.front().name, "3·Fr");
}

TEST(Explanation, TableLinesAsTheCommandLinePrintsThem) {
    const std::vector<ExplainedPeak> rows = {
        {{107.5, 0.25, 7}, Explanation{"Fo", true, 1, 0, 107.25, 0.25}},
        {{60.5, 1e-5, 4}, Explanation{"Fo - Fq", false, 2, 3, 60.25, 0.25}},
        {{33, 2, 3}, std::nullopt}};
    EXPECT_EQ(peakTable(rows, '\t'),
              "rank\tfrequency\tamplitude\texplanation\tm\tn\tvalue\tresidual\n"
              "1\t107,5\t0,25\tFo\t1\t\t107,25\t0,25\n"
              "2\t60,5\t1E-5\tFo - Fq\t2\t3\t60,25\t0,25\n"
              "3\t33\t2\t-\t\t\t\t\n");
    // For a spreadsheet: a byte-order mark, the window's captions, every digit.
    const std::vector<ExplainedPeak> shaft = {
        {{59.9, 0.5, 4}, Explanation{"2·Fr", true, 2, 0, 59.9, 0}}};
    EXPECT_EQ(peakTableForSpreadsheet(shaft),
              "\xEF\xBB\xBF№;Частота, Гц;Амплитуда;Объяснение;m;n;Значение;Невязка\n"
              "1;59,9;0,5;2·Fr;2;;59,9;0\n");
}

// ---- Files and the synthetic fault ------------------------------------------------------

class SpectrumFiles : public test::TempDirTest {};

TEST_F(SpectrumFiles, OuterRaceFaultShowsFoAndItsHarmonicsExplainedAsFo) {
    const Results r = bearing6205();
    SynthSettings s;
    s.fault = FaultFamily::Outer;
    s.Fr = 1797.0 / 60, s.Fo = r[Fo], s.Fi = r[Fi], s.Fw = r[Fw], s.Fq = r[Fq];
    const auto path = dir_ / "outer.wav";
    ASSERT_EQ(writeFileAtomically(path, encodeWav(synthesize(s), 12000)), 0);
    const FileContents o = openSpectrumFile(path, 0, {});
    ASSERT_TRUE(o.record && o.spectrum);
    EXPECT_EQ(o.record->samples.size(), 120000u);
    const Spectrum& sp = *o.spectrum;
    std::vector<Peak> nonShaft;
    for (const Peak& p : findPeaks(sp, 40)) {
        const double shaft = p.frequency / s.Fr;
        if (std::abs(shaft - std::round(shaft)) * s.Fr > sp.resolution || shaft > 3.5) {
            nonShaft.push_back(p);
        }
    }
    ASSERT_GE(nonShaft.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const double k = std::round(nonShaft[i].frequency / r[Fo]);
        EXPECT_NEAR(nonShaft[i].frequency, k * r[Fo], sp.resolution) << i;
    }
    const auto atFo = std::find_if(nonShaft.begin(), nonShaft.end(), [&](const Peak& p) {
        return std::abs(p.frequency - r[Fo]) < sp.resolution;
    });
    ASSERT_NE(atFo, nonShaft.end());
    const auto rows = explainPeaks({*atFo}, bases6205(), {0, 1, 1, 10, 1000}, 1, sp.resolution);
    ASSERT_TRUE(rows.at(0).best);
    EXPECT_EQ(rows[0].best->name, "Fo");
    EXPECT_EQ(rows[0].best->m, 1);
}

// A 16-bit stereo file: the chosen channel, scaled to full scale.
TEST_F(SpectrumFiles, ReadsTheChosenChannelOfAnIntegerFile) {
    const auto path = dir_ / "two.wav";
    SF_INFO info{};
    info.samplerate = 8000, info.channels = 2, info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
    SNDFILE* f = sf_open(path.c_str(), SFM_WRITE, &info);
    ASSERT_NE(f, nullptr);
    const short frames[] = {100, -16384, 200, 16384, 300, 0};
    sf_writef_short(f, frames, 3);
    sf_close(f);
    const std::optional<WaveformInfo> probe = probeWaveform(path);
    ASSERT_TRUE(probe);
    EXPECT_EQ(probe->channels, 2);
    EXPECT_EQ(probe->frames, 3);
    EXPECT_EQ(readWaveform(path, 1).samples, (std::vector<double>{-0.5, 0.5, 0}));
    EXPECT_THROW(readWaveform(path, 2), SpectrumFileError);
}

// A FLAC stream may leave its length unknown (STREAMINFO's total of 0): it is read to its
// end, not refused as endless.
TEST_F(SpectrumFiles, AFlacOfUnknownLengthIsReadToItsEnd) {
    std::vector<double> samples(10000);
    for (std::size_t i = 0; i < samples.size(); ++i) {
        samples[i] = 0.5 * std::sin(0.01 * static_cast<double>(i));
    }
    std::string flac = encodeWav(samples, 8000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    // "fLaC", the block's 4-byte header, then STREAMINFO: its total of samples is the low
    // 36 bits of bytes 13 … 17.
    ASSERT_EQ(flac.substr(0, 4), "fLaC");
    flac[8 + 13] = static_cast<char>(flac[8 + 13] & 0xF0);
    for (int i = 14; i <= 17; ++i) {
        flac[static_cast<std::size_t>(8 + i)] = 0;
    }
    ASSERT_EQ(writeFileAtomically(dir_ / "open-ended.flac", flac), 0);
    const Waveform w = readWaveform(dir_ / "open-ended.flac", 0);
    ASSERT_EQ(w.samples.size(), samples.size());
    EXPECT_NEAR(w.samples[1234], samples[1234], 1e-4);
}

// A path longer than libsndfile's own open takes: read as any other.
TEST_F(SpectrumFiles, ASoundFileAtALongPathIsRead) {
    std::filesystem::path deep = dir_;
    for (int i = 0; i < 12; ++i) {
        deep /= std::string(100, static_cast<char>('a' + i));
    }
    std::filesystem::create_directories(deep);
    const std::filesystem::path path = deep / "long.wav";
    ASSERT_GT(path.string().size(), 1100u);
    ASSERT_EQ(writeFileAtomically(path, encodeWav(std::vector<double>(800, 0.25), 8000)), 0);
    EXPECT_EQ(readWaveform(path, 0).samples.size(), 800u);
    EXPECT_EQ(openSpectrumFile(path, {}, {}).format, "audio");
}

TEST_F(SpectrumFiles, RefusesWhatIsNoSpectrumWithAMessage) {
    const auto wav = encodeWav(std::vector<double>(1000, 0.25), 8000);
    const struct {
        const char* name;
        std::string bytes;
        const char* message;
    } cases[] = {
        {"cut.wav", wav.substr(0, 30), "Файл «cut.wav»: заголовок не читается"},
        {"noise.bin", std::string("\x01\x02\x00\x05 zz", 7), "Файл «noise.bin»: строка 1"},
        {"empty.txt", "", "Файл «empty.txt»: в нём меньше трёх строк"},
    };
    for (const auto& c : cases) {
        ASSERT_EQ(writeFileAtomically(dir_ / c.name, c.bytes), 0);
        try {
            openSpectrumFile(dir_ / c.name, 0, {});
            ADD_FAILURE() << c.name << " opened";
        } catch (const SpectrumFileError& e) {
            EXPECT_EQ(std::string(e.what()).rfind(c.message, 0), 0u) << e.what();
        }
    }
    EXPECT_THROW(openSpectrumFile(dir_, 0, {}), SpectrumFileError);
    EXPECT_THROW(openSpectrumFile(dir_ / "absent.wav", 0, {}), SpectrumFileError);
    // The float WAV the synthesis writes reads back what was written.
    ASSERT_EQ(writeFileAtomically(dir_ / "ok.wav", wav), 0);
    EXPECT_EQ(readWaveform(dir_ / "ok.wav", 0).samples, std::vector<double>(1000, 0.25));
}

// A FLAC stream claiming 2^27 samples over 4 096 is refused where it ends, in Russian, and
// the room its claim asks for is never filled: the peak memory grows by far less than the
// gigabyte the claim would take.
TEST_F(SpectrumFiles, ACompressedStreamClaimingMoreThanItHoldsIsRefusedWhereItEnds) {
    std::string flac =
        encodeWav(std::vector<double>(4096, 0.25), 8000, SF_FORMAT_FLAC | SF_FORMAT_PCM_16);
    ASSERT_EQ(flac.substr(0, 4), "fLaC");
    // STREAMINFO's rate, channels, bits and total samples share 64 bits from byte 18; the
    // total is the low 36.
    std::uint64_t packed = 0;
    for (int i = 0; i < 8; ++i) {
        packed = packed << 8 | static_cast<unsigned char>(flac[18 + i]);
    }
    ASSERT_EQ(packed & 0xfffffffffULL, 4096u);
    packed = (packed & ~0xfffffffffULL) | (1ULL << 27);
    for (int i = 7; i >= 0; --i, packed >>= 8) {
        flac[18 + i] = static_cast<char>(packed & 0xff);
    }
    ASSERT_EQ(writeFileAtomically(dir_ / "claim.flac", flac), 0);
    rusage before{}, after{};
    getrusage(RUSAGE_SELF, &before);
    try {
        readWaveform(dir_ / "claim.flac", 0);
        ADD_FAILURE() << "read";
    } catch (const SpectrumFileError& e) {
        EXPECT_STREQ(e.what(), "Файл «claim.flac»: отсчёт 4097: файл обрывается");
    }
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 256 * 1024) << "KiB";
}

} // namespace
} // namespace orbistan

namespace orbistan {
namespace {

// Every range, across block edges too, gives what a scan gives.
TEST(RangeExtremes, AgreeWithAScanOfTheRange) {
    std::vector<double> v(5000);
    for (std::size_t i = 0; i < v.size(); ++i) {
        v[i] = std::sin(0.37 * static_cast<double>(i)) * static_cast<double>(i % 977);
    }
    const RangeExtremes e(v);
    for (const auto& [from, to] : std::vector<std::pair<std::size_t, std::size_t>>{
             {0, 1}, {0, 5000}, {1023, 1025}, {1, 4097}, {2048, 3072}, {4999, 5000}, {700, 4500}}) {
        const auto [low, high] = std::minmax_element(v.begin() + from, v.begin() + to);
        EXPECT_EQ(e.over(from, to), std::make_pair(*low, *high)) << from << ".." << to;
    }
}

} // namespace
} // namespace orbistan
