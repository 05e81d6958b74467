#include "base/bearing_number.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

struct TrimCase {
    std::string in;
    std::string out;
    friend void PrintTo(const TrimCase& c, std::ostream* os) { *os << '[' << c.in << ']'; }
};

class TrimBearingNumber : public testing::TestWithParam<TrimCase> {};
TEST_P(TrimBearingNumber, CutsThenStripsBlanks) {
    EXPECT_EQ(trimBearingNumber(GetParam().in), GetParam().out);
}
INSTANTIATE_TEST_SUITE_P(
    Table, TrimBearingNumber,
    testing::Values(TrimCase{"  6205  ", "6205"}, TrimCase{"6205", "6205"}, TrimCase{" ", ""},
                    TrimCase{"", ""}, TrimCase{"6205 2RS", "6205 2RS"},
                    TrimCase{"\t6205\t", "\t6205\t"}, // only blanks are stripped
                    TrimCase{std::string(60, 'A'), std::string(50, 'A')},
                    // Cut first: the blanks at 49 and 50 become trailing and go.
                    TrimCase{std::string(48, 'A') + "  BBBB", std::string(48, 'A')},
                    // Cut first: leading blanks count towards the 50 characters.
                    TrimCase{std::string(10, ' ') + std::string(45, 'A'), std::string(40, 'A')}));

} // namespace
} // namespace orbistan
