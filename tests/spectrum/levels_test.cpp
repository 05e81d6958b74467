// The levels and extremes of any range of a record, from its summary, against a direct scan
// and against signals whose levels are known.
#include "spectrum/dsp/extremes.h"
#include "spectrum/workbench/report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <random>

namespace orbistan {
namespace {

// The levels of values [from, to) by two passes over them.
Levels scanned(const std::vector<double>& v, std::size_t from, std::size_t to) {
    Levels l;
    l.samples = to - from;
    double sum = 0;
    for (std::size_t i = from; i < to; ++i) {
        sum += v[i];
    }
    l.mean = sum / double(l.samples);
    double m2 = 0, m4 = 0, low = v[from], high = v[from];
    for (std::size_t i = from; i < to; ++i) {
        const double d = v[i] - l.mean;
        m2 += d * d, m4 += d * d * d * d;
        low = std::min(low, v[i]), high = std::max(high, v[i]);
    }
    l.rms = std::sqrt(m2 / double(l.samples));
    l.peak = std::max(high - l.mean, l.mean - low);
    l.peakToPeak = high - low;
    l.crest = l.peak / l.rms;
    l.kurtosis = double(l.samples) * m4 / (m2 * m2);
    return l;
}

std::vector<double> noisyImpacts(std::size_t n) {
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0.3, 1.0); // an offset, as sensors have
    std::vector<double> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        v[i] = noise(random) + (i % 997 == 0 ? 25.0 : 0.0);
    }
    return v;
}

// Ranges inside one block, across block edges and across every level of the summary.
TEST(RecordLevels, AnyRangeGivesWhatAScanGives) {
    const std::vector<double> v = noisyImpacts(300001);
    const RangeExtremes summary(v);
    std::mt19937 random(3);
    std::vector<std::pair<std::size_t, std::size_t>> ranges = {
        {0, v.size()}, {0, 2}, {63, 65}, {64, 128}, {511, 4097}, {1, 299999}, {262143, 262145}};
    for (int k = 0; k < 40; ++k) {
        const std::size_t a = random() % v.size(), b = random() % v.size();
        ranges.emplace_back(std::min(a, b),
                            std::max(a, b) + 2 > v.size() ? v.size() : std::max(a, b) + 2);
    }
    for (const auto& [from, to] : ranges) {
        const Levels want = scanned(v, from, to), got = summary.levels(from, to);
        SCOPED_TRACE(std::to_string(from) + ".." + std::to_string(to));
        EXPECT_EQ(got.samples, want.samples);
        EXPECT_NEAR(got.mean, want.mean, 1e-12 * (1 + std::abs(want.mean)));
        EXPECT_NEAR(got.rms, want.rms, 1e-11 * want.rms);
        EXPECT_EQ(got.peakToPeak, want.peakToPeak);
        EXPECT_NEAR(got.peak, want.peak, 1e-12 * want.peak);
        EXPECT_NEAR(got.crest, want.crest, 1e-10 * want.crest);
        EXPECT_NEAR(got.kurtosis, want.kurtosis, 1e-9 * want.kurtosis);
        const auto [low, high] =
            std::minmax_element(v.begin() + std::ptrdiff_t(from), v.begin() + std::ptrdiff_t(to));
        EXPECT_EQ(summary.over(from, to), std::make_pair(*low, *high));
    }
}

struct KnownLevels {
    const char* signal;
    std::vector<double> values;
    double rms, peak, crest, kurtosis;
};

std::vector<double> sampled(std::size_t n, double (*f)(double)) {
    std::vector<double> v(n);
    for (std::size_t i = 0; i < n; ++i) {
        v[i] = f(double(i) / double(n));
    }
    return v;
}

TEST(RecordLevels, OfSignalsWhoseLevelsAreKnown) {
    constexpr double pi = std::numbers::pi;
    const std::vector<KnownLevels> cases = {
        // A sine of amplitude 2 on an offset of 5: the offset is no part of any level.
        {"sine", sampled(48000, [](double t) { return 5 + 2 * std::sin(2 * pi * 40 * t); }),
         std::sqrt(2.0), 2, std::sqrt(2.0), 1.5},
        {"square", sampled(48000, [](double t) { return std::fmod(t * 10, 1) < 0.5 ? 1.0 : -1.0; }),
         1, 1, 1, 1},
        // One impact in 1000 zeros: peak-heavy, as a bearing's impacts are.
        {"impact", sampled(1000, [](double t) { return t == 0 ? 1.0 : 0.0; }),
         std::sqrt(0.999) / 1000 * std::sqrt(1000.0), 0.999,
         0.999 / (std::sqrt(0.999) / std::sqrt(1000.0)),
         (0.999 * 0.999 * 0.999 * 0.999 / 1000 + 0.999 * std::pow(0.001, 4)) /
             std::pow(0.999 / 1000, 2)},
    };
    for (const KnownLevels& c : cases) {
        const Levels l = RangeExtremes(c.values).levels(0, c.values.size());
        SCOPED_TRACE(c.signal);
        EXPECT_NEAR(l.rms, c.rms, 1e-9);
        EXPECT_NEAR(l.peak, c.peak, 1e-9);
        EXPECT_NEAR(l.crest, c.crest, 1e-6);
        EXPECT_NEAR(l.kurtosis, c.kurtosis, 1e-6);
    }
    // Gaussian noise: kurtosis 3, within its sampling error.
    std::mt19937 random(11);
    std::normal_distribution<double> normal;
    std::vector<double> noise(200000);
    std::generate(noise.begin(), noise.end(), [&] { return normal(random); });
    EXPECT_NEAR(RangeExtremes(noise).levels(0, noise.size()).kurtosis, 3.0, 0.05);
}

// A constant record (a sensor disconnected) has no level, not a crest factor of rounding.
TEST(RecordLevels, OfAConstantRecordAreNothing) {
    const std::vector<double> v(10000, 0.1);
    const Levels l = RangeExtremes(v).levels(17, 9000);
    EXPECT_EQ(l.rms, 0);
    EXPECT_EQ(l.peak, 0);
    EXPECT_EQ(l.peakToPeak, 0);
    EXPECT_EQ(l.crest, 0);
    EXPECT_EQ(l.kurtosis, 0);
    EXPECT_EQ(l.samples, 8983u);
}

// Levels as the window and the page write them: four significant digits, the unit where the
// record has one, nothing said of a record that does not move.
TEST(RecordLevels, AreWrittenAsTheWindowShowsThem) {
    Levels l;
    l.samples = 1000, l.rms = 0.138661623665302, l.peak = 0.619627128379265;
    l.peakToPeak = 1.21095389221557, l.crest = 4.46862738225902, l.kurtosis = 2.98471602272658;
    EXPECT_EQ(levelsText(l, "g"),
              "СКЗ 0,1387 g · пик 0,6196 g · размах 1,211 g · пик-фактор 4,469 · эксцесс 2,985");
    EXPECT_EQ(levelsText(l, ""),
              "СКЗ 0,1387 · пик 0,6196 · размах 1,211 · пик-фактор 4,469 · эксцесс 2,985");
    EXPECT_EQ(levelsText(RangeExtremes(std::vector<double>(50, 2.0)).levels(0, 50), "g"),
              "нет колебаний");
}

// Pixel columns: each the extremes of its own share of the range, the shares covering it.
TEST(RecordLevels, ColumnsAreTheExtremesOfTheirShares) {
    const std::vector<double> v = noisyImpacts(100000);
    const RangeExtremes summary(v);
    for (const auto& [from, to, count] :
         std::vector<std::tuple<std::size_t, std::size_t, std::size_t>>{
             {0, 100000, 1000}, {12345, 12345 + 777, 700}, {5, 99999, 3}, {0, 10, 10}}) {
        const auto columns = summary.columns(from, to, count);
        ASSERT_EQ(columns.size(), count);
        double low = columns[0].first, high = columns[0].second;
        for (const auto& [l, h] : columns) {
            EXPECT_LE(l, h);
            low = std::min(low, l), high = std::max(high, h);
        }
        EXPECT_EQ(std::make_pair(low, high), summary.over(from, to));
        const std::size_t c = count / 2, a = from + (to - from) * c / count,
                          b = from + (to - from) * (c + 1) / count;
        const auto [ml, mh] =
            std::minmax_element(v.begin() + std::ptrdiff_t(a), v.begin() + std::ptrdiff_t(b));
        EXPECT_EQ(columns[c], std::make_pair(*ml, *mh));
    }
}

} // namespace
} // namespace orbistan
