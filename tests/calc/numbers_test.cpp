#include "calc/numbers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace orbistan {
namespace {

struct TextCase {
    std::string in;
    std::string out;
    friend void PrintTo(const TextCase& c, std::ostream* os) { *os << '[' << c.in << ']'; }
};

class CommaFix : public testing::TestWithParam<TextCase> {};
TEST_P(CommaFix, ChangesOnlyALeadingComma) {
    EXPECT_EQ(commaFix(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(Table, CommaFix,
                         testing::Values(TextCase{"7,938", "7.938"}, TextCase{",5", ".5"},
                                         TextCase{"-1,5", "-1,5"}, TextCase{" 1,5", " 1,5"},
                                         TextCase{"1,5,5", "1.5,5"}, TextCase{"7.938", "7.938"},
                                         TextCase{",", "."}, TextCase{"", ""}, TextCase{"12", "12"},
                                         TextCase{"1e5,", "1e5,"}));

struct ReadCase {
    std::string text; // after the comma fix
    std::optional<double> value;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << '[' << c.text << ']'; }
};

class ReadNumber : public testing::TestWithParam<ReadCase> {};
TEST_P(ReadNumber, FollowsTheNumberSyntax) {
    const auto got = readNumber(GetParam().text);
    ASSERT_EQ(got.has_value(), GetParam().value.has_value()) << "text: [" << GetParam().text << "]";
    if (got) {
        EXPECT_EQ(*got, *GetParam().value) << "text: [" << GetParam().text << "]";
    }
}
INSTANTIATE_TEST_SUITE_P(
    Readable, ReadNumber,
    testing::Values(ReadCase{"7.938", 7.938}, ReadCase{"79", 79}, ReadCase{" 79", 79},
                    ReadCase{"   -15", -15}, ReadCase{"+3", 3}, ReadCase{"-15", -15},
                    ReadCase{"1.5e2", 150}, ReadCase{"1.5E+2", 150}, ReadCase{"25e-1", 2.5},
                    ReadCase{".5", 0.5}, ReadCase{"5.", 5}, ReadCase{".", 0}, ReadCase{"-.", 0},
                    ReadCase{"0.1", 0.1}, ReadCase{"007", 7}, ReadCase{"1e308", 1e308},
                    // Far below the smallest real: reads as zero, not as an error.
                    ReadCase{"1e-400", 0}));
INSTANTIATE_TEST_SUITE_P(
    Unreadable, ReadNumber,
    testing::Values(ReadCase{"", {}}, ReadCase{"   ", {}}, ReadCase{"+", {}}, ReadCase{"-", {}},
                    ReadCase{"1 ", {}}, ReadCase{"1,5", {}}, ReadCase{"-1,5", {}},
                    ReadCase{" 7,9", {}}, ReadCase{"e5", {}}, ReadCase{"1e", {}},
                    ReadCase{"1e+", {}}, ReadCase{"..", {}}, ReadCase{"1.2.3", {}},
                    ReadCase{"0x10", {}}, ReadCase{"inf", {}}, ReadCase{"nan", {}},
                    ReadCase{"1e5.5", {}}, ReadCase{"\t1", {}}, ReadCase{"1/2", {}},
                    ReadCase{"--1", {}},
                    // Beyond a 64-bit real: refused rather than read as infinity.
                    ReadCase{"1e400", {}}, ReadCase{"-1e400", {}}, ReadCase{"1.8e308", {}}));

TEST(ReadNumber, ReadsOnlyTheFirstHundredCharacters) {
    const std::string hundred(100, '1');
    EXPECT_TRUE(readNumber(hundred + "x").has_value());
    EXPECT_FALSE(readNumber(std::string(99, '1') + "x").has_value());
    EXPECT_EQ(fieldNumberText(std::string(99, '1') + ",5"), std::string(99, '1') + ".");
}

TEST(ReadNumber, RoundsInExtendedPrecisionThenToDouble) {
    // The nearest double to the decimal text, as a correctly rounded read gives it.
    EXPECT_EQ(*readNumber("0.30000000000000004"), 0.30000000000000004);
    EXPECT_EQ(*readNumber("7.938"), 7.938);
}

struct FormatCase {
    double value;
    std::string text;
    friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.text; }
};

class FormatGeneral : public testing::TestWithParam<FormatCase> {};
TEST_P(FormatGeneral, ShowsFifteenDigitsWithComma) {
    EXPECT_EQ(formatGeneral(GetParam().value), GetParam().text);
}
INSTANTIATE_TEST_SUITE_P(
    Fixed, FormatGeneral,
    testing::Values(FormatCase{0, "0"}, FormatCase{-0.0, "0"}, FormatCase{89.3, "89,3"},
                    FormatCase{9, "9"}, FormatCase{0.125, "0,125"}, FormatCase{-5, "-5"},
                    FormatCase{-0.5, "-0,5"}, FormatCase{1.0 / 3, "0,333333333333333"},
                    FormatCase{2.0 / 3, "0,666666666666667"}, FormatCase{0.0001, "0,0001"},
                    FormatCase{-0.0001, "-0,0001"}, FormatCase{1000, "1000"},
                    FormatCase{999999999999999.0, "999999999999999"},
                    FormatCase{123456789012345.6, "123456789012346"}, FormatCase{12.5, "12,5"},
                    FormatCase{100000, "100000"},
                    // Rounds up to the lower bound of the fixed form.
                    FormatCase{std::nextafter(0.0001, 0.0), "0,0001"}));
INSTANTIATE_TEST_SUITE_P(
    Exponent, FormatGeneral,
    testing::Values(FormatCase{1e15, "1E15"}, FormatCase{-1e15, "-1E15"},
                    FormatCase{9999999999999999.0, "1E16"},
                    // Rounds up to 10^15 and so leaves the fixed form.
                    FormatCase{999999999999999.9, "1E15"}, FormatCase{0.00009999, "9,999E-5"},
                    FormatCase{1.5e-7, "1,5E-7"}, FormatCase{-2.5e-5, "-2,5E-5"},
                    FormatCase{1.2345e20, "1,2345E20"}, FormatCase{1e300, "1E300"},
                    FormatCase{std::numeric_limits<double>::denorm_min(),
                               "4,94065645841247E-324"}));

TEST(FormatGeneral, NeverShowsInfinityOrNan) {
    EXPECT_EQ(formatGeneral(std::numeric_limits<double>::infinity()), "");
    EXPECT_EQ(formatGeneral(std::nan("")), "");
}

class FormatFileReal : public testing::TestWithParam<FormatCase> {};
TEST_P(FormatFileReal, WritesTwentyThreeCharacters) {
    const std::string text = formatFileReal(GetParam().value);
    EXPECT_EQ(text, GetParam().text);
    EXPECT_EQ(text.size(), 23u);
}
INSTANTIATE_TEST_SUITE_P(Table, FormatFileReal,
                         testing::Values(FormatCase{25, " 2.50000000000000E+0001"},
                                         FormatCase{12.5, " 1.25000000000000E+0001"},
                                         FormatCase{0.35, " 3.50000000000000E-0001"},
                                         FormatCase{0, " 0.00000000000000E+0000"},
                                         FormatCase{-0.0, " 0.00000000000000E+0000"},
                                         FormatCase{-1.5, "-1.50000000000000E+0000"},
                                         FormatCase{7.938, " 7.93800000000000E+0000"},
                                         FormatCase{0.1, " 1.00000000000000E-0001"},
                                         FormatCase{1.0 / 3, " 3.33333333333333E-0001"},
                                         FormatCase{1e-300, " 1.00000000000000E-0300"},
                                         FormatCase{-1.7e308, "-1.70000000000000E+0308"}));

TEST(FormatFileReal, ReadsBackExactlyWithFifteenDigits) {
    for (double v : {0.1, 7.938, 25.0, -1.5, 12.7, 1e-300, 123456789012345.0, 0.35}) {
        EXPECT_EQ(*readNumber(formatFileReal(v)), v) << v;
    }
}

struct RoundCase {
    double value;
    int precision;
    double expected;
    friend void PrintTo(const RoundCase& c, std::ostream* os) {
        *os << c.value << " at " << c.precision;
    }
};

class RoundToPrecision : public testing::TestWithParam<RoundCase> {};
TEST_P(RoundToPrecision, RoundsHalvesToEven) {
    EXPECT_EQ(roundToPrecision(GetParam().value, GetParam().precision), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Table, RoundToPrecision,
    testing::Values(RoundCase{0.125, 100, 0.12}, RoundCase{0.375, 100, 0.38},
                    RoundCase{-0.125, 100, -0.12}, RoundCase{0.75, 100, 0.75},
                    RoundCase{2.5, 1, 2.5}, RoundCase{2.5, 0, 2.5}, RoundCase{2.5, -5, 2.5},
                    RoundCase{0.0625, 1000, 0.062}, RoundCase{89.3048, 100, 89.3},
                    RoundCase{89.3048, 1000, 89.305}, RoundCase{1.23456789, 100000, 1.23457},
                    // Beyond the range of a 64-bit integer the value is already whole.
                    RoundCase{1e300, 100, 1e300}));

} // namespace
} // namespace orbistan
