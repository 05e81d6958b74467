#include "calc/numbers.h"
#include "search/harmonics.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

using Lines = std::array<std::string, 10>;

TEST(Harmonics, SubharmonicsRoundedToHundredths) {
    EXPECT_EQ(harmonicCaptions(0, 12.34, true, 100),
              (Lines{"  Fo=12,34", "1/2Fo=6,17", "1/3Fo=4,11", "1/4Fo=3,08", "1/5Fo=2,47",
                     "1/6Fo=2,06", "1/7Fo=1,76", "1/8Fo=1,54", "1/9Fo=1,37", "1/10Fo=1,23"}));
}

TEST(Harmonics, UnroundedSubharmonicsShowFifteenDigitsUnderTheirOwnHead) {
    const Lines l = harmonicCaptions(0, 12.34, true, 1);
    EXPECT_EQ(l[0], "   Fo=12,34");
    EXPECT_EQ(l[2], "1/3Fo=4,11333333333333");
}

TEST(Harmonics, MultiplesAreLabelledByTheirFactor) {
    const Lines l = harmonicCaptions(6, 47.87, false, 100);
    EXPECT_EQ(l[0], "  Fw*=47,87");
    EXPECT_EQ(l[1], "2Fw*=95,74");
    EXPECT_EQ(l[9], "10Fw*=478,7");
    EXPECT_EQ(harmonicCaptions(6, 47.87, false, 1)[0], " Fw*=47,87");
}

struct HeadCase {
    int which;
    bool sub;
    int precision;
    const char* head;
};
class HeadLabels : public testing::TestWithParam<HeadCase> {};
TEST_P(HeadLabels, KeepTheirLeadingBlanks) {
    const auto& c = GetParam();
    EXPECT_EQ(harmonicCaptions(c.which, 0, c.sub, c.precision)[0], std::string(c.head) + "0");
}
INSTANTIATE_TEST_SUITE_P(
    Table, HeadLabels,
    testing::Values(HeadCase{1, true, 1, "   Fi="}, HeadCase{1, true, 100, "   Fi="},
                    HeadCase{3, false, 1, " Fq="}, HeadCase{3, true, 1, "   Fq="},
                    HeadCase{3, true, 1000, " Fq="}, HeadCase{2, true, 100, "  Fw="},
                    HeadCase{4, false, 1, " Fo*="}, HeadCase{4, false, 100, "  Fo*="},
                    HeadCase{5, true, 1, "   Fi*="}, HeadCase{5, true, 10000, "  Fi*="}));

// Typing the shown text back in, as the field does between two presses.
double viaField(double t) {
    return *readNumber(fieldNumberText(formatGeneral(t)));
}

const std::vector<std::string> kLadder = {
    "0,001", "0,002", "0,003", "0,004", "0,005", "0,006", "0,007", "0,008", "0,009", "0,01",
    "0,02",  "0,03",  "0,04",  "0,05",  "0,06",  "0,07",  "0,08",  "0,09",  "0,1",   "0,2",
    "0,3",   "0,4",   "0,5",   "0,6",   "0,7",   "0,8",   "0,9",   "1",     "2",     "3",
    "4",     "5",     "6",     "7",     "8",     "9",     "10"};

TEST(ToleranceLadder, UpWalksTheThirtySevenValuesAndWraps) {
    double t = viaField(0.001);
    for (std::size_t i = 1; i <= kLadder.size(); ++i) {
        t = viaField(toleranceUp(t));
        EXPECT_EQ(formatGeneral(t), kLadder[i % kLadder.size()]) << i;
    }
}

TEST(ToleranceLadder, DownWalksBackAndWraps) {
    double t = 10;
    for (std::size_t i = 1; i <= kLadder.size(); ++i) {
        t = viaField(toleranceDown(t));
        EXPECT_EQ(formatGeneral(t), kLadder[(2 * kLadder.size() - 1 - i) % kLadder.size()]) << i;
    }
}

struct StepCase {
    double t;
    const char* up;
    const char* down;
};
class ToleranceSteps : public testing::TestWithParam<StepCase> {};
TEST_P(ToleranceSteps, OffTheLadder) {
    EXPECT_EQ(formatGeneral(toleranceUp(GetParam().t)), GetParam().up);
    EXPECT_EQ(formatGeneral(toleranceDown(GetParam().t)), GetParam().down);
}
INSTANTIATE_TEST_SUITE_P(
    Table, ToleranceSteps,
    testing::Values(StepCase{0.25, "0,35", "0,15"}, StepCase{9.5, "10,5", "8,5"},
                    StepCase{10.5, "0,001", "10"}, StepCase{0.0015, "0,0025", "10"},
                    StepCase{-3, "0,001", "10"}, StepCase{20, "0,001", "10"},
                    StepCase{1.5, "2,5", "0,9"}, StepCase{0.0005, "0,001", "10"}));

} // namespace
} // namespace orbistan
