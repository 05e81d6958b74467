#include "datafiles/settings.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

namespace orbistan {
namespace {

namespace fs = std::filesystem;

struct ParseCase {
    std::string text;
    std::optional<Settings> expected;
    friend void PrintTo(const ParseCase& c, std::ostream* os) { *os << '[' << c.text << ']'; }
};

class ParseSettings : public testing::TestWithParam<ParseCase> {};
TEST_P(ParseSettings, ReadsFourIntegers) {
    EXPECT_EQ(parseSettings(GetParam().text), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Table, ParseSettings,
    testing::Values(ParseCase{"1 1 1 1\r\n", Settings{1, 1, 1, 1}},
                    ParseCase{"0 0 0 100\r\n", Settings{0, 0, 0, 100}},
                    ParseCase{"0\r\n1\r\n0\r\n1000\r\n", Settings{0, 1, 0, 1000}},
                    ParseCase{" \t0  1\n\n 1 \t 100000", Settings{0, 1, 1, 100000}},
                    ParseCase{"1 1 1 100 and more text", Settings{1, 1, 1, 100}},
                    ParseCase{"-1 +2 7 55", Settings{-1, 2, 7, 55}},
                    ParseCase{"1 1", Settings{1, 1, 0, 0}}, // the end of the file reads as 0
                    ParseCase{"", Settings{0, 0, 0, 0}}, ParseCase{"1 x 1 1", std::nullopt},
                    ParseCase{"1 1,5 1 1", std::nullopt}, ParseCase{"1 1 1 1e2", std::nullopt},
                    ParseCase{"- 1 1 1", std::nullopt},
                    ParseCase{"1 1 1 99999999999", std::nullopt},
                    ParseCase{"++1 1 1 1", std::nullopt}));

TEST(FormatSettings, WritesOneLineWithCrLf) {
    EXPECT_EQ(formatSettings({1, 1, 1, 1}), "1 1 1 1\r\n");
    EXPECT_EQ(formatSettings({0, 1, -1, 100000}), "0 1 -1 100000\r\n");
}

TEST(RuntimeErrors, MapToTheKnownTexts) {
    EXPECT_EQ(runtimeErrorText(runtimeCodeFromErrno(ENOENT)), "File not found");
    EXPECT_EQ(runtimeErrorText(runtimeCodeFromErrno(EACCES)), "File access denied");
    EXPECT_EQ(runtimeErrorText(runtimeCodeFromErrno(EROFS)), "File access denied");
    EXPECT_EQ(runtimeErrorText(runtimeCodeFromErrno(EMFILE)), "Too many open files");
    EXPECT_EQ(runtimeErrorText(runtimeCodeFromErrno(ENOSPC)), "Disk full");
    EXPECT_EQ(runtimeErrorText(kReadBeyondEnd), "Read beyond end of file");
    EXPECT_EQ(runtimeErrorText(kInvalidNumericInput), "Invalid numeric input");
    EXPECT_EQ(runtimeErrorText(runtimeCodeFromErrno(EIO)), "I/O error 31");
    // An unmapped failure never borrows the text of another.
    EXPECT_EQ(runtimeErrorText(runtimeCodeFromErrno(EISCONN)), "I/O error 1106");
}

class SettingsFile : public test::TempDirTest {
protected:
    std::string bytes() { return readWholeFile(dir_ / kSettingsFileName).value_or("<missing>"); }
    void write(const std::string& text) { std::ofstream(dir_ / kSettingsFileName) << text; }
    int entries() { return static_cast<int>(std::distance(fs::directory_iterator(dir_), {})); }
};

TEST_F(SettingsFile, FirstStartWritesTheDefaults) {
    const SettingsLoad load = loadSettings(dir_);
    EXPECT_EQ(load.outcome, SettingsLoad::Read);
    EXPECT_TRUE(load.created);
    EXPECT_EQ(load.values, (Settings{1, 1, 1, 1}));
    EXPECT_EQ(bytes(), "1 1 1 1\r\n");
    EXPECT_EQ(entries(), 1); // no temporary file left behind
}

TEST_F(SettingsFile, ReadsAFileOnFourLines) {
    write("0\n0\n0\n100\n");
    const SettingsLoad load = loadSettings(dir_);
    EXPECT_EQ(load.outcome, SettingsLoad::Read);
    EXPECT_FALSE(load.created);
    EXPECT_EQ(load.values, (Settings{0, 0, 0, 100}));
    EXPECT_EQ(bytes(), "0\n0\n0\n100\n"); // reading alone changes nothing
}

TEST_F(SettingsFile, CorruptContentIsInvalidNumericInput) {
    write("1 1 x 1\r\n");
    const SettingsLoad load = loadSettings(dir_);
    EXPECT_EQ(load.outcome, SettingsLoad::Corrupt);
    EXPECT_EQ(runtimeErrorText(load.errorCode), "Invalid numeric input");
    EXPECT_EQ(bytes(), "1 1 x 1\r\n");
}

TEST_F(SettingsFile, AFolderInThePlaceOfTheFileIsRefused) {
    fs::create_directories(dir_ / kSettingsFileName / "inside");
    const SettingsLoad load = loadSettings(dir_);
    EXPECT_EQ(load.outcome, SettingsLoad::IoError);
    EXPECT_EQ(runtimeErrorText(load.errorCode), "File access denied");
    EXPECT_EQ(load.values, (Settings{1, 1, 1, 1}));
    EXPECT_EQ(entries(), 1); // the temporary file is gone again
    EXPECT_TRUE(fs::is_directory(dir_ / kSettingsFileName / "inside"));
}

TEST_F(SettingsFile, SaveReplacesTheWholeFile) {
    write("0 0 0 100 and a long tail that must go\r\n");
    EXPECT_EQ(saveSettings(dir_, {1, 0, 1, 1000}), 0);
    EXPECT_EQ(bytes(), "1 0 1 1000\r\n");
    EXPECT_EQ(fs::status(dir_ / kSettingsFileName).permissions() & fs::perms::others_read,
              fs::perms::others_read);
}

TEST_F(SettingsFile, SaveIntoAMissingFolderFails) {
    EXPECT_EQ(runtimeErrorText(saveSettings(dir_ / "missing", {})), "File not found");
}

} // namespace
} // namespace orbistan
