#include "base/bearing_type.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

TEST(TypeSummary, WordsOfTheCodes) {
    EXPECT_EQ(typeSummary(2, 1, 2, 0), "Шариковый однорядный радиальный ");
    EXPECT_EQ(typeSummary(0, 0, 0, 0), "   ");
    EXPECT_EQ(typeSummary(3, 4, 3, 2),
              "Ролико-шариковый четырехрядный радиально-упорный сферический");
    // A code outside the table shows no word.
    EXPECT_EQ(typeSummary(7, -1, 4, 3), "   ");
}

TEST(InformationText, JoinsEightyLinesOfAHundredCharacters) {
    EXPECT_EQ(assembleInformation({"abc", "def"}), "abcdef");
    std::vector<std::string> lines(85, "x");
    EXPECT_EQ(assembleInformation(lines), std::string(80, 'x'));
    EXPECT_EQ(assembleInformation({std::string(120, 'y'), "z"}), std::string(100, 'y') + "z");
    EXPECT_EQ(assembleInformation({}), "");
}

} // namespace
} // namespace orbistan
