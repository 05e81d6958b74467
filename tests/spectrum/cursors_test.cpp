// The plot's labels and cursors decided without a widget: which labels stand when they
// crowd, and what the harmonic and sideband cursors read off a spectrum of known lines.
#include "spectrum/diagnosis/cursors.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

struct ThinCase {
    const char* name;
    std::vector<LabelSpan> spans;
    double gap;
    std::vector<std::size_t> kept;
};

class LabelThinning : public testing::TestWithParam<ThinCase> {};

TEST_P(LabelThinning, KeepsTheMostImportantClearOfEachOther) {
    EXPECT_EQ(thinLabels(GetParam().spans, GetParam().gap), GetParam().kept);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LabelThinning,
    testing::Values(ThinCase{"none", {}, 4, {}},
                    ThinCase{"apart", {{0, 10, 5}, {20, 30, 5}, {40, 50, 5}}, 4, {0, 1, 2}},
                    // The second overlaps both others and matters most: they give way.
                    ThinCase{"overlapping", {{0, 10, 2}, {8, 18, 1}, {16, 26, 3}}, 0, {1}},
                    // Touching within the gap counts as crowding; the lower frequency wins a tie.
                    ThinCase{"gap", {{0, 10, 1}, {12, 22, 1}, {30, 40, 1}}, 3, {0, 2}},
                    ThinCase{"gap_exact", {{0, 10, 1}, {13, 23, 1}}, 3, {0, 1}},
                    ThinCase{"order_kept", {{40, 50, 9}, {0, 10, 1}, {20, 30, 5}}, 4, {0, 1, 2}},
                    // Peaks' labels stand at their heights: one above another both stand.
                    ThinCase{"stacked",
                             {{0, 10, 1, 0, 12}, {5, 15, 2, 20, 32}, {5, 15, 3, 10, 22}},
                             2,
                             {0, 1}}),
    [](const testing::TestParamInfo<ThinCase>& info) { return std::string(info.param.name); });

TEST(LabelPriority, HarmonicsBeforeSidebandsLowOrdersFirst) {
    const MarkerLine fo{107, MarkFo, 1, 0}, fo2{214, MarkFo, 2, 0}, fi{162, MarkFi, 1, 0},
        foSide{137, MarkFo, 1, 1}, fo2Side{184, MarkFo, 2, -1}, fo10{1070, MarkFo, 10, 0};
    EXPECT_LT(markerLabelPriority(fo), markerLabelPriority(fi));
    EXPECT_LT(markerLabelPriority(fi), markerLabelPriority(fo2));
    EXPECT_LT(markerLabelPriority(fo10), markerLabelPriority(foSide));
    EXPECT_LT(markerLabelPriority(foSide), markerLabelPriority(fo2Side));
}

// Lines 1 Hz apart up to 1000 Hz: a noise of 0,01 with a family at 100 Hz (amplitude 1/k)
// and sidebands ±30 Hz around 500 Hz (0,2).
Spectrum knownLines() {
    Spectrum s;
    s.resolution = 1;
    for (int k = 0; k <= 1000; ++k) {
        s.frequency.push_back(k);
        s.amplitude.push_back(0.01);
    }
    for (int k = 1; k <= 10; ++k) {
        s.amplitude[static_cast<std::size_t>(100 * k + (k == 3))] = 1.0 / k; // 3× one line off
    }
    s.amplitude[470] = s.amplitude[530] = 0.2;
    return s;
}

TEST(HarmonicCursor, ReadsEachHarmonicAsFarAsTheSpectrumReaches) {
    const Spectrum s = knownLines();
    const std::vector<CursorMark> marks = harmonicMarks(s, 100);
    ASSERT_EQ(marks.size(), 10u);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_DOUBLE_EQ(marks[i].frequency, 100.0 * static_cast<double>(i + 1));
        EXPECT_DOUBLE_EQ(marks[i].amplitude, 1.0 / static_cast<double>(i + 1)) << i;
        EXPECT_EQ(marks[i].name, std::to_string(i + 1) + "×");
    }
    EXPECT_EQ(harmonicMarks(s, 300).size(), 3u); // 1200 Hz lies beyond
    EXPECT_TRUE(harmonicMarks(s, 0).empty());
    EXPECT_DOUBLE_EQ(harmonicMarks(s, 150, 2)[1].amplitude, 1.0 / 3); // the line beside 300 Hz
    EXPECT_EQ(harmonicReadout(harmonicMarks(s, 100, 3), 100.004, 2),
              "Гармоники 100 Гц: 1× 1 · 2× 0,5 · 3× 0,3333");
}

TEST(SidebandCursor, ReadsTheCentreAndEitherSide) {
    const Spectrum s = knownLines();
    const std::vector<CursorMark> marks = sidebandMarks(s, 500, 30, 2);
    ASSERT_EQ(marks.size(), 5u);
    const char* names[] = {"−2", "−1", "0", "+1", "+2"};
    const double amplitudes[] = {0.01, 0.2, 0.2, 0.2, 0.01};
    for (std::size_t i = 0; i < marks.size(); ++i) {
        EXPECT_EQ(marks[i].name, names[i]);
        EXPECT_DOUBLE_EQ(marks[i].frequency, 500 + 30 * (static_cast<double>(i) - 2));
        EXPECT_DOUBLE_EQ(marks[i].amplitude, amplitudes[i]) << i;
    }
    // Near the spectrum's start only those within it.
    EXPECT_EQ(sidebandMarks(s, 40, 30, 3).size(), 5u); // −1 at 10 Hz, none below 0
    EXPECT_TRUE(sidebandMarks(s, 500, 0).empty());
    EXPECT_EQ(sidebandReadout(sidebandMarks(s, 500, 30, 1), 500, 29.951, 1),
              "Боковые 500 ± 30 Гц: −1 0,2 · 0 0,2 · +1 0,2");
}

// The cursor moved by the keys: from peak to peak either way, from the view's edge while it
// stands nowhere, and nowhere past the last; zoom keeps it where it stands.
TEST(SpectrumCursorKeys, StepsFromPeakToPeakAndZoomsAroundItself) {
    SpectrumCursor c;
    const std::vector<double> peaks = {300, 100, 200}; // in the table's order, by height
    EXPECT_EQ(c.step(peaks, 1, 150, 400), 200);        // from the view's left edge
    EXPECT_EQ(c.step(peaks, -1, 0, 250), 200);         // from its right edge
    EXPECT_EQ(c.zoomed(0, 400, 0.5), std::make_pair(100.0, 300.0)); // around the middle
    c.moveTo(300);
    EXPECT_EQ(c.step(peaks, 1, 0, 400), std::nullopt); // no peak further up
    EXPECT_EQ(c.step(peaks, -1, 0, 400), 200);
    EXPECT_EQ(c.zoomed(0, 400, 0.5), std::make_pair(150.0, 350.0));
    c.moveTo(100);
    EXPECT_EQ(c.step(peaks, -1, 0, 400), std::nullopt);
    EXPECT_EQ(c.step({}, 1, 0, 400), std::nullopt);
}

// Placing the cursors: the sideband cursor's centre, then its spacing, then a new centre;
// the harmonic cursor takes its place, Esc clears both.
TEST(SpectrumCursorMarks, SidebandCentreThenSpacingAndHarmonicsInstead) {
    const Spectrum s = knownLines();
    SpectrumCursor c;
    std::string readout = "stale";
    EXPECT_TRUE(c.marks(s, &readout).empty());
    EXPECT_EQ(readout, "");
    c.placeSideband(500);
    EXPECT_TRUE(c.awaitingSpacing() && c.marksPlaced());
    ASSERT_EQ(c.marks(s, &readout).size(), 1u);
    EXPECT_EQ(readout, "Боковые: центр 500 Гц; поставьте курсор на боковую и нажмите B");
    c.placeSideband(500); // the centre again is no spacing
    EXPECT_TRUE(c.awaitingSpacing());
    c.placeSideband(470);
    EXPECT_FALSE(c.awaitingSpacing());
    EXPECT_EQ(c.marks(s, &readout).size(), 11u);
    EXPECT_EQ(readout.rfind("Боковые 500 ± 30 Гц: −5 ", 0), 0u) << readout;
    c.setSpacing(25); // given, as the shaft's rate, over the one measured
    EXPECT_EQ(c.marks(s, &readout).size(), 11u);
    EXPECT_EQ(readout.rfind("Боковые 500 ± 25 Гц: −5 ", 0), 0u) << readout;
    c.setSpacing(-3); // no spacing
    c.marks(s, &readout);
    EXPECT_EQ(readout.rfind("Боковые 500 ± 25 Гц", 0), 0u) << readout;
    c.placeSideband(200); // a third placing starts again
    EXPECT_TRUE(c.awaitingSpacing());
    c.placeHarmonic(100);
    EXPECT_FALSE(c.awaitingSpacing());
    EXPECT_EQ(c.marks(s, &readout).size(), 10u);
    EXPECT_EQ(readout.rfind("Гармоники 100 Гц: 1× 1 · ", 0), 0u) << readout;
    c.clearMarks();
    c.setSpacing(25); // without a centre, nothing to space
    EXPECT_FALSE(c.marksPlaced());
    EXPECT_TRUE(c.marks(s, &readout).empty());
}

TEST(SpectrumCursorSnap, TakesTheNearestPeakWithinReach) {
    const Spectrum s = knownLines();
    const auto [f, a] = SpectrumCursor::snapped(s, 203, 5);
    EXPECT_NEAR(f, 200, 0.5);
    EXPECT_DOUBLE_EQ(a, 0.5);
}

} // namespace
} // namespace orbistan

namespace orbistan {
namespace {

// The period between two marked impacts, named by the bearing's frequency it is nearest to.
TEST(PeriodCursor, NamesTheBearingsFrequencyThePeriodIsNearest) {
    const SearchBases bearing{106.98, 162.57, 69.52, 11.89, 29.95};
    const struct {
        double seconds;
        const char* readout;
    } cases[] = {
        {1 / 107.1, "Δt = 9,337 мс · 1/Δt = 107,1 Гц ≈ Fo = 106,98 Гц (+0,1 %)"},
        {1 / 160.0, "Δt = 6,25 мс · 1/Δt = 160 Гц ≈ Fi = 162,57 Гц (−1,6 %)"},
        {1 / 139.04, "Δt = 7,192 мс · 1/Δt = 139 Гц ≈ 2·Fw = 139,04 Гц (±0 %)"},
        {-1 / 29.95, "Δt = 33,39 мс · 1/Δt = 29,95 Гц ≈ Fr = 29,95 Гц (±0 %)"},
        {1 / 12.3, "Δt = 81,3 мс · 1/Δt = 12,3 Гц ≈ Fq = 11,89 Гц (+3,4 %)"},
        {1 / 80.0, "Δt = 12,5 мс · 1/Δt = 80 Гц · не частота подшипника"},
        {2.5, "Δt = 2,5 с · 1/Δt = 0,4 Гц · не частота подшипника"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(periodReadout(readPeriod(c.seconds, bearing)), c.readout) << c.seconds;
    }
    EXPECT_EQ(periodReadout(readPeriod(0.01, std::nullopt)), "Δt = 10 мс · 1/Δt = 100 Гц");
}

// The periodic cursor marks every period from the first impact, only inside the view, and
// nothing where more marks would be drawn than can be told apart.
TEST(PeriodCursor, MarksEveryPeriodFromTheFirstImpactInsideTheView) {
    EXPECT_EQ(periodicMarks(0.1, 0.25, 0, 1), (std::vector<double>{0.1, 0.35, 0.6, 0.85}));
    EXPECT_EQ(periodicMarks(0.1, 0.25, 0.5, 0.9), (std::vector<double>{0.6, 0.85}));
    EXPECT_TRUE(periodicMarks(0.1, 0.25, 0, 0.05).empty()); // before the first impact
    EXPECT_TRUE(periodicMarks(0, 1e-6, 0, 1).empty());      // a million marks
    EXPECT_TRUE(periodicMarks(0, 0, 0, 1).empty());
}

} // namespace
} // namespace orbistan
