#include "calc/compute.h"
#include "calc/numbers.h"

#include <gtest/gtest.h>

#include <map>

namespace orbistan {
namespace {

// Field texts in the order Z, Fr, dw, D, d, a; all multipliers "1" unless changed.
InputTexts texts(std::array<std::string, InputFieldCount> fields) {
    InputTexts t;
    t.fields = std::move(fields);
    t.multipliers.fill("1");
    return t;
}

const InputTexts kBearing6205 = texts({"9", "25", "7,938", "52", "25", "0"});

std::map<std::string, std::string> shown(const ComputeOutcome& c) {
    std::map<std::string, std::string> m;
    for (int i = 0; i < ResultCount; ++i) {
        m[std::string(resultName(i))] = formatGeneral(c.results[i]);
    }
    return m;
}

struct Example {
    const char* name;
    InputTexts input;
    int precision;
    std::map<std::string, std::string> expected; // a subset of the 21 texts
    friend void PrintTo(const Example& e, std::ostream* os) { *os << e.name; }
};

class Examples : public testing::TestWithParam<Example> {};

TEST_P(Examples, ShowTheListedTexts) {
    const Example& e = GetParam();
    const ComputeOutcome c = runComputation(e.input, e.precision);
    ASSERT_EQ(c.kind, ComputeOutcome::Done);
    const auto got = shown(c);
    for (const auto& [name, text] : e.expected) {
        EXPECT_EQ(got.at(name), text) << name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Examples,
    testing::Values(
        Example{"b6205_p100",
                kBearing6205,
                100,
                {{"Fo", "89,3"},           {"Fi", "135,7"},          {"Fw", "58,05"},
                 {"Fq", "9,92"},           {"Fo*", "89,3"},          {"Fi*", "135,7"},
                 {"Fw*", "47,87"},         {"Fo+Fq", "99,23"},       {"Fo-Fq", "79,38"},
                 {"Fr+Fq", "34,92"},       {"Fr-Fq", "15,08"},       {"Fw+Fr", "83,05"},
                 {"Fw-Fr", "33,05"},       {"Fi+Fr", "160,7"},       {"Fi-Fr", "110,7"},
                 {"Fi+(Fr-Fq)", "150,77"}, {"Fi-(Fr-Fq)", "120,62"}, {"Fw+Fq", "67,97"},
                 {"Fw-Fq", "48,13"},       {"Fo+Fr", "114,3"},       {"Fo-Fr", "64,3"}}},
        Example{"b6205_p1000",
                kBearing6205,
                1000,
                {{"Fo", "89,305"},
                 {"Fi", "135,695"},
                 {"Fw", "58,049"},
                 {"Fq", "9,923"},
                 {"Fw*", "47,874"},
                 {"Fo+Fq", "99,227"}}},
        // Unrounded: fifteen significant digits of 112,5 - 112,5 * 7,938 / 38,5.
        Example{"b6205_unrounded", kBearing6205, 1, {{"Fo", "89,3045454545455"}}},
        Example{"angle15_p1000",
                texts({"12", "50", "12,7", "85", "45", "15"}),
                1000,
                {{"Fo", "243,382"},
                 {"Fi", "356,618"},
                 {"Fw", "123,395"},
                 {"Fq", "20,282"},
                 {"Fo*", "241,385"},
                 {"Fi*", "358,615"},
                 {"Fw*", "96,182"}}},
        // Exact ties go to the even neighbour.
        Example{"ties_p100",
                texts({"1", "0,5", "1", "3", "1", "0"}),
                100,
                {{"Fo", "0,12"},
                 {"Fq", "0,12"},
                 {"Fo*", "0,12"},
                 {"Fi", "0,38"},
                 {"Fw", "0,38"},
                 {"Fi*", "0,38"},
                 {"Fw*", "0,75"}}},
        Example{"ties_unrounded",
                texts({"1", "0,5", "1", "3", "1", "0"}),
                1,
                {{"Fo", "0,125"}, {"Fi", "0,375"}, {"Fw*", "0,75"}}},
        // No settings read yet: precision 0 does not round either.
        Example{"ties_precision0", texts({"1", "0,5", "1", "3", "1", "0"}), 0, {{"Fo", "0,125"}}}),
    [](const testing::TestParamInfo<Example>& info) { return std::string(info.param.name); });

TEST(Compute, StarredValuesEqualRingValuesAtZeroAngle) {
    const ComputeOutcome c = runComputation(kBearing6205, 1);
    EXPECT_EQ(c.results[FoStar], c.results[Fo]);
    EXPECT_EQ(c.results[FiStar], c.results[Fi]);
}

TEST(Compute, AngleAboveNinetyDegreesTurnsRingsAround) {
    const ComputeOutcome c = runComputation(texts({"9", "25", "7,938", "52", "25", "120"}), 1);
    ASSERT_EQ(c.kind, ComputeOutcome::Done);
    EXPECT_GT(c.results[Fo], c.results[Fi]);
}

TEST(Compute, MultiplierZeroLeavesTheOtherTerm) {
    InputTexts t = kBearing6205;
    t.multipliers[firstMultiplierOf(FoMinusFq)] = "0";
    const ComputeOutcome c = runComputation(t, 100);
    ASSERT_EQ(c.kind, ComputeOutcome::Done);
    EXPECT_EQ(formatGeneral(c.results[FoMinusFq]), "-9,92");
}

TEST(Compute, SidebandsUseUnroundedFrequencies) {
    // Fo 89,3045... + Fq 9,9227... = 99,227... rounds to 99,23, not 89,3 + 9,92 = 99,22.
    const ComputeOutcome c = runComputation(kBearing6205, 100);
    EXPECT_EQ(formatGeneral(c.results[FoPlusFq]), "99,23");
}

TEST(Compute, MultipliersScaleTheirTerms) {
    InputTexts t = kBearing6205;
    t.multipliers[firstMultiplierOf(FiPlusFrMinusFq)] = "2";
    t.multipliers[firstMultiplierOf(FiPlusFrMinusFq) + 1] = "0,5";
    const ComputeOutcome c = runComputation(t, 100);
    // 2 * 135,695... + 0,5 * (25 - 9,9227...) = 278,93...
    EXPECT_EQ(formatGeneral(c.results[FiPlusFrMinusFq]), "278,93");
}

TEST(Compute, SameInputTwiceGivesIdenticalResults) {
    EXPECT_EQ(runComputation(kBearing6205, 1).results, runComputation(kBearing6205, 1).results);
}

TEST(Compute, ResultsBeyondARealAreRefusedLikeUnreadableInput) {
    // Z = 1e300 and Fr = 1e300 are readable, but Fo would be about 1e600.
    const ComputeOutcome c = runComputation(texts({"1e300", "1e300", "1", "3", "1", "0"}), 1);
    EXPECT_EQ(c.kind, ComputeOutcome::Unreadable);
}

TEST(Compute, HugeButRepresentableValuesAreComputed) {
    const ComputeOutcome c = runComputation(texts({"1", "1", "1", "1,7e308", "1,6e308", "0"}), 1);
    ASSERT_EQ(c.kind, ComputeOutcome::Done);
    EXPECT_DOUBLE_EQ(c.validation.inputs.Dm, 1.65e308); // (D + d) / 2 formed without overflow
}

struct ValidationCase {
    const char* name;
    InputTexts input;
    Validation::Outcome outcome;
    std::vector<RangeWarning> warnings;
    friend void PrintTo(const ValidationCase& c, std::ostream* os) { *os << c.name; }
};

class Validate : public testing::TestWithParam<ValidationCase> {};

TEST_P(Validate, ReportsInOrder) {
    const Validation v = readAndValidate(GetParam().input);
    EXPECT_EQ(v.outcome, GetParam().outcome);
    EXPECT_EQ(v.warnings, GetParam().warnings);
}

InputTexts withMultiplier(int index, std::string text) {
    InputTexts t = kBearing6205;
    t.multipliers[index] = std::move(text);
    return t;
}

using W = RangeWarning;
INSTANTIATE_TEST_SUITE_P(
    Table, Validate,
    testing::Values(
        ValidationCase{"valid", kBearing6205, Validation::Valid, {}},
        ValidationCase{"point_reads_same",
                       texts({"9", "25", "7.938", "52", "25", "0"}),
                       Validation::Valid,
                       {}},
        ValidationCase{
            "fractional_Z", texts({"7,5", "25", "7", "52", "25", "0"}), Validation::Valid, {}},
        ValidationCase{
            "exponent", texts({"9", "25", "7", "1,5e2", "25", "0"}), Validation::Valid, {}},
        ValidationCase{"leading_blank_digits",
                       texts({" 9", "25", "7", "52", "25", "0"}),
                       Validation::Valid,
                       {}},
        ValidationCase{"negative_comma",
                       texts({"9", "25", "7", "52", "25", "-1,5"}),
                       Validation::Unreadable,
                       {}},
        ValidationCase{"blank_then_comma",
                       texts({"9", "25", " 7,9", "52", "25", "0"}),
                       Validation::Unreadable,
                       {}},
        ValidationCase{
            "empty_field", texts({"9", "", "7", "52", "25", "0"}), Validation::Unreadable, {}},
        ValidationCase{"empty_multiplier", withMultiplier(27, ""), Validation::Unreadable, {}},
        ValidationCase{
            "huge_value", texts({"9", "25", "7", "1e400", "25", "0"}), Validation::Unreadable, {}},
        ValidationCase{"D_equals_d",
                       texts({"9", "25", "7", "25", "25", "0"}),
                       Validation::OutOfRange,
                       {W::OuterNotGreater}},
        ValidationCase{"D_below_d_negative_angle",
                       texts({"9", "25", "7", "20", "25", "-5"}),
                       Validation::OutOfRange,
                       {W::OuterNotGreater, W::NegativeAngle}},
        ValidationCase{"all_zero",
                       texts({"0", "0", "0", "0", "0", "0"}),
                       Validation::OutOfRange,
                       {W::OuterNotGreater, W::NotPositive}},
        ValidationCase{"all_three",
                       texts({"9", "25", "0", "20", "25", "-1"}),
                       Validation::OutOfRange,
                       {W::OuterNotGreater, W::NegativeAngle, W::NotPositive}},
        ValidationCase{"lone_comma_is_zero",
                       texts({",", "25", "7", "52", "25", "0"}),
                       Validation::OutOfRange,
                       {W::NotPositive}},
        ValidationCase{"negative_Fr",
                       texts({"9", "-25", "7", "52", "25", "0"}),
                       Validation::OutOfRange,
                       {W::NotPositive}},
        ValidationCase{"negative_d_only",
                       texts({"9", "25", "7", "52", "-25", "0"}),
                       Validation::OutOfRange,
                       {W::NotPositive}}),
    [](const testing::TestParamInfo<ValidationCase>& info) {
        return std::string(info.param.name);
    });

TEST(Validate, TakesTheSnapshotWhateverTheOutcome) {
    const Validation v = readAndValidate(texts({"9", "", "7,938", "52", "25", "0"}));
    EXPECT_EQ(v.outcome, Validation::Unreadable);
    const InputSnapshot expected = {"9", "", "7.938", "52", "25", "0"};
    EXPECT_EQ(v.snapshot, expected);
}

TEST(Validate, DmIsTheMeanDiameter) {
    EXPECT_EQ(readAndValidate(kBearing6205).inputs.Dm, 38.5);
}

struct SnapshotCase {
    const char* now;
    bool matches;
    friend void PrintTo(const SnapshotCase& c, std::ostream* os) { *os << c.now; }
};

class SnapshotCheck : public testing::TestWithParam<SnapshotCase> {};
TEST_P(SnapshotCheck, ComparesFixedTexts) {
    const InputSnapshot snap =
        readAndValidate(texts({"12,5", "25", "7", "52", "25", "0"})).snapshot;
    const InputSnapshot now = {GetParam().now, "25", "7", "52", "25", "0"};
    EXPECT_EQ(snapshotMatches(snap, now), GetParam().matches) << GetParam().now;
}
INSTANTIATE_TEST_SUITE_P(Table, SnapshotCheck,
                         testing::Values(SnapshotCase{"12,5", true}, SnapshotCase{"12.5", true},
                                         SnapshotCase{"12.50", false}, SnapshotCase{"12,5 ", false},
                                         SnapshotCase{"13", false}));

TEST(SnapshotCheck, ComparesOnlyTheFirstHundredCharacters) {
    const std::string longText(100, '1');
    const InputSnapshot snap =
        readAndValidate(texts({longText, "25", "7", "52", "25", "0"})).snapshot;
    EXPECT_TRUE(snapshotMatches(snap, {longText + "99", "25", "7", "52", "25", "0"}));
}

} // namespace
} // namespace orbistan
