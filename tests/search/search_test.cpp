#include "calc/numbers.h"
#include "search/search.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orbistan {
namespace {

// Whole-number bases, so that every value and bound below is exact.
const SearchBases kBases{100, 150, 50, 10, 25}; // Fo, Fi, Fw, Fq, Fr

SearchParameters params(double S, double T, double h = 1, double M = 10, double F = 1000) {
    return {S, T, h, M, F};
}

std::vector<std::string> lines(const SearchResult& r, int c) {
    std::vector<std::string> out;
    std::istringstream in(r.lists[c]);
    for (std::string line; std::getline(in, line);) {
        out.push_back(line);
    }
    return out;
}

TEST(Search, BothToleranceBoundsAreHits) {
    const SearchResult r = runSearch(kBases, params(115, 5), 1);
    // Fo + Fq: 1·100 + 1·10 = 110 = S − T and 1·100 + 2·10 = 120 = S + T.
    EXPECT_EQ(lines(r, 0), (std::vector<std::string>{"1Fo+1Fq=110", "1Fo+2Fq=120"}));
    EXPECT_EQ(r.counts[0], 2);
    ASSERT_TRUE(r.first[0]);
    EXPECT_EQ(r.first[0]->m, 1);
    EXPECT_EQ(r.first[0]->n, 1);
}

TEST(Search, LinesRunByNThenM) {
    // Fr + Fq: m·25 + n·10 = 50 at (2,0), (0,5).
    const SearchResult r = runSearch(kBases, params(50, 0), 1);
    EXPECT_EQ(lines(r, 2), (std::vector<std::string>{"2Fr+0Fq=50", "0Fr+5Fq=50"}));
    EXPECT_EQ(r.first[2]->m, 2);
    EXPECT_EQ(r.first[2]->n, 0);
}

TEST(Search, MaximumFrequencyBoundsEachHarmonicInclusively) {
    // Fo + Fr = 200 at (2,0), (1,4), (0,8); with Fmax 100 only m ≤ 1 and n ≤ 4 remain,
    // and 1·Fo = 100 = Fmax itself still counts.
    const SearchResult r = runSearch(kBases, params(200, 0, 1, 10, 100), 1);
    EXPECT_EQ(lines(r, 12), (std::vector<std::string>{"1Fo+4Fr=200"}));
    const SearchResult all = runSearch(kBases, params(200, 0, 1, 10, 1000), 1);
    EXPECT_EQ(all.counts[12], 3);
}

TEST(Search, HalfStepsShowAsFractions) {
    // Fi - (Fr-Fq): m·150 − n·15 = 67,5 at m = 0,5, n = 0,5.
    const SearchResult r = runSearch(kBases, params(67.5, 0, 0.5, 1), 1);
    EXPECT_EQ(lines(r, 9), (std::vector<std::string>{"0,5Fi-0,5(Fr-Fq)=67,5"}));
}

TEST(Search, MaximumHarmonicZeroTestsOnlyTheOrigin) {
    const SearchResult r = runSearch(kBases, params(0, 0, 1, 0), 1);
    for (int c = 0; c < kCombinationCount; ++c) {
        EXPECT_EQ(r.counts[c], 1) << c;
        EXPECT_EQ(lines(r, c).size(), 1u);
        EXPECT_EQ(r.first[c]->value, 0);
    }
    EXPECT_EQ(lines(r, 8), (std::vector<std::string>{"0Fi+0(Fr-Fq)=0"}));
}

TEST(Search, NegativeLimitsGiveNoHits) {
    EXPECT_EQ(runSearch(kBases, params(110, -1), 1).counts[0], 0);
    EXPECT_EQ(runSearch(kBases, params(0, 1, 1, -1), 1).counts[0], 0);
    EXPECT_EQ(runSearch(kBases, params(0, 1, 1, 10, -5), 1).counts[0], 0);
}

TEST(Search, ValuesAreRoundedToThePrecisionAtEachGridPoint) {
    SearchBases b = kBases;
    b.Fo = 0.0625; // 6,25 hundredths: the tie goes to the even 0,06
    EXPECT_EQ(runSearch(b, params(0.06, 0), 100).counts[0], 1);
    EXPECT_EQ(runSearch(b, params(0.06, 0), 1).counts[0], 0);
}

TEST(Search, ZeroBaseHasOnlyHarmonicsOfZero) {
    SearchBases b = kBases;
    b.Fq = 0; // a cage frequency rounded away
    // Fo + Fq = 100 for every n: never above the maximum frequency.
    EXPECT_EQ(runSearch(b, params(100, 0), 1).counts[0], 11);
    EXPECT_EQ(runSearch(b, params(0, 0, 1, 10, 0), 1).counts[0], 11); // Fmax 0: 0·Fo + n·0
    EXPECT_EQ(runSearch(b, params(100, 0, 1, 10, -1), 1).counts[0], 0);
    b.Fq = b.Fr; // Fr − Fq = 0
    EXPECT_EQ(runSearch(b, params(150, 0), 1).counts[8], 11);
}

TEST(Search, StepThatCannotAdvanceSearchesNothing) {
    EXPECT_EQ(runSearch(kBases, params(0, 1, 0), 1).counts[0], 0);
    EXPECT_EQ(runSearch(kBases, params(0, 1, -1), 1).counts[0], 0);
}

TEST(Search, Headings) {
    EXPECT_EQ(searchHeading(0, 3), "Fo + Fq ( 3 )");
    EXPECT_EQ(searchHeading(9, 0), "Fi - (Fr-Fq) ( 0 )");
    EXPECT_EQ(searchHeading(13, 12), "Fo - Fr ( 12 )");
}

TEST(SearchFields, EmptyFieldsGetTheirDefaults) {
    const SearchTexts t = withEmptyDefaults({"", "", "1", "", ""});
    EXPECT_EQ(t.value, "");
    EXPECT_EQ(t.tolerance, "0");
    EXPECT_EQ(t.maxHarmonic, "10");
    EXPECT_EQ(t.maxFrequency, "1000");
    EXPECT_EQ(withEmptyDefaults({"5", "2", "1", "7", "300"}).tolerance, "2");
}

struct ReadCase {
    SearchTexts texts;
    bool readable;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << '[' << c.texts.value << ']'; }
};
class ReadSearch : public testing::TestWithParam<ReadCase> {};
TEST_P(ReadSearch, NeedsAllFiveNumbers) {
    EXPECT_EQ(readSearchParameters(GetParam().texts).has_value(), GetParam().readable);
}
INSTANTIATE_TEST_SUITE_P(Table, ReadSearch,
                         testing::Values(ReadCase{{"245,37", "1", "1", "10", "1000"}, true},
                                         ReadCase{{"-2.5", "1", "0,5", "10", "1000"}, true},
                                         ReadCase{{"-2,5", "1", "1", "10", "1000"}, false},
                                         ReadCase{{"", "1", "1", "10", "1000"}, false},
                                         ReadCase{{"5", "x", "1", "10", "1000"}, false},
                                         ReadCase{{"5", "1", "1", "10", "1e400"}, false}));

TEST(SearchLimits, ApplyOnlyAboveTheLimit) {
    auto l = applySearchLimits(params(0, 25, 1, 60, 50000));
    EXPECT_EQ(l.parameters.tolerance, 20);
    EXPECT_EQ(l.parameters.maxHarmonic, 50);
    EXPECT_EQ(l.parameters.maxFrequency, 40000);
    EXPECT_EQ(l.tolerance, "20");
    EXPECT_EQ(l.maxHarmonic, "50");
    EXPECT_EQ(l.maxFrequency, "40000");
    l = applySearchLimits(params(0, 20, 1, 50, 40000));
    EXPECT_FALSE(l.tolerance || l.maxHarmonic || l.maxFrequency);
    EXPECT_EQ(l.parameters.tolerance, 20);
}

} // namespace
} // namespace orbistan
