#include "platform/cp1251.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

TEST(Cp1251, EveryAssignedByteRoundTrips) {
    for (int b = 0; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const auto back = utf8ToCp1251(cp1251ToUtf8(byte));
        if (b == 0x98) {
            EXPECT_FALSE(back.has_value()); // unassigned
        } else {
            ASSERT_TRUE(back.has_value()) << b;
            EXPECT_EQ(*back, byte) << b;
        }
    }
}

struct Pair {
    std::string utf8;
    std::string bytes;
    friend void PrintTo(const Pair& p, std::ostream* os) { *os << p.utf8; }
};

class Cp1251Known : public testing::TestWithParam<Pair> {};
TEST_P(Cp1251Known, MapsToTheCodePage) {
    EXPECT_EQ(utf8ToCp1251(GetParam().utf8).value_or("<none>"), GetParam().bytes);
    EXPECT_EQ(cp1251ToUtf8(GetParam().bytes), GetParam().utf8);
}
INSTANTIATE_TEST_SUITE_P(Table, Cp1251Known,
                         testing::Values(Pair{"ШП-204", "\xD8\xCF-204"}, Pair{"а", "\xE0"},
                                         Pair{"я", "\xFF"}, Pair{"ё", "\xB8"}, Pair{"Ё", "\xA8"},
                                         Pair{"№", "\xB9"}, Pair{"€", "\x88"}, Pair{"°", "\xB0"},
                                         Pair{"6205", "6205"}));

TEST(Cp1251, RefusesWhatItCannotHold) {
    EXPECT_FALSE(utf8ToCp1251("日本").has_value());
    EXPECT_FALSE(utf8ToCp1251("\xC3").has_value());         // truncated sequence
    EXPECT_FALSE(utf8ToCp1251("\xC0\xAF").has_value());     // overlong
    EXPECT_FALSE(utf8ToCp1251("\xED\xA0\x80").has_value()); // surrogate
    EXPECT_EQ(utf8ToCp1251Lossy("1日5"), "1?5");
}

} // namespace
} // namespace orbistan
