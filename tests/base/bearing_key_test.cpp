#include "base/bearing_key.h"
#include "platform/cp1251.h"

#include <gtest/gtest.h>

namespace orbistan {
namespace {

struct KeyCase {
    std::string typed; // UTF-8, as typed
    std::string trimmed;
    std::string key;
    friend void PrintTo(const KeyCase& c, std::ostream* os) { *os << '[' << c.typed << ']'; }
};

class FileKey : public testing::TestWithParam<KeyCase> {};
TEST_P(FileKey, FollowsTheKeyRules) {
    const std::optional<BearingKey> k = BearingFileKey(*utf8ToCp1251(GetParam().typed));
    ASSERT_TRUE(k);
    EXPECT_EQ(cp1251ToUtf8(k->trimmed), GetParam().trimmed);
    EXPECT_EQ(cp1251ToUtf8(k->key), GetParam().key);
}
INSTANTIATE_TEST_SUITE_P(
    Table, FileKey,
    testing::Values(KeyCase{"  6205-2rs  ", "6205-2rs", "6205%2RS"},
                    KeyCase{"6205,2RS", "6205,2RS", "6205%2RS"},
                    KeyCase{"6205_2RS", "6205_2RS", "6205%2RS"},
                    KeyCase{"\"*,-/:<>?\\_|", "\"*,-/:<>?\\_|", "%%%%%%%%%%%%"},
                    KeyCase{"шп-204", "шп-204", "ШП%204"}, KeyCase{"ёжик", "ёжик", "ёЖИК"},
                    KeyCase{"абвгдеёжзийклмнопрстуфхцчшщъыьэюя",
                            "абвгдеёжзийклмнопрстуфхцчшщъыьэюя",
                            "АБВГДЕёЖЗИЙКЛМНОПРСТУФХЦЧШЩЪЫЬЭЮЯ"},
                    KeyCase{"6205 2RS", "6205 2RS", "6205 2RS"}, KeyCase{"a.b", "a.b", "A.B"},
                    KeyCase{"   ", "", ""}, KeyCase{"", "", ""},
                    KeyCase{std::string(55, 'x'), std::string(50, 'x'), std::string(50, 'X')}));

TEST(FileKey, NumbersDifferingAfterTheFiftiethCharacterShareAFile) {
    const std::string base(50, '7');
    EXPECT_EQ(BearingFileKey(base + "A")->key, BearingFileKey(base + "B")->key);
}

TEST(FileKey, NumbersWithControlCharactersNeverBecomeFileNames) {
    using namespace std::string_literals;
    for (const std::string& number : {"62\0 05"s, "\0X"s, "AB\nCD"s, "6205\r"s, "\x1b[31m6205"s,
                                      "62\x7f"
                                      "05"s,
                                      "\t6205"s}) {
        EXPECT_FALSE(BearingFileKey(number)) << testing::PrintToString(number);
    }
    // Cut away with the characters after the fiftieth, it names nothing.
    EXPECT_TRUE(BearingFileKey(std::string(50, '7') + "\n"));
}

TEST(RecordPath, FolderByStandardAndKeyInUtf8) {
    DataFolders f;
    f.russian = "/p/Basa/Russian";
    f.other = "/p/Basa/import";
    EXPECT_EQ(BearingRecordPath(f, 1, *BearingFileKey(*utf8ToCp1251("шп-204"))),
              "/p/Basa/Russian/ШП%204.Dat");
    EXPECT_EQ(BearingRecordPath(f, 0, *BearingFileKey("6205")), "/p/Basa/import/6205.Dat");
    EXPECT_EQ(BearingRecordPath(f, 1, *BearingFileKey("")), "/p/Basa/Russian/.Dat");
    EXPECT_EQ(BearingRecordPath(f, 1, *BearingFileKey("../x")), "/p/Basa/Russian/..%X.Dat");
}

} // namespace
} // namespace orbistan
