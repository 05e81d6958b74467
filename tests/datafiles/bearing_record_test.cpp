#include "datafiles/bearing_record.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace orbistan {
namespace {

TEST(RecordBytes, OneLineOfTheRealFormCodesAndText) {
    const BearingRecord r{25, 52, 0, 7.938, 9, 2, 1, 2, 0, ""};
    EXPECT_EQ(formatBearingRecord(r), " 2.50000000000000E+0001  5.20000000000000E+0001 "
                                      " 0.00000000000000E+0000  7.93800000000000E+0000 "
                                      " 9.00000000000000E+0000 2 1 2 0 \r\n");
    BearingRecord withInfo = r;
    withInfo.kind = -1;
    withInfo.info = "\xD8\xE0\xF0\xE8\xEA"; // "Шарик" in code page 1251
    const std::string bytes = formatBearingRecord(withInfo);
    EXPECT_EQ(bytes.substr(bytes.size() - 17), " -1 1 2 0 \xD8\xE0\xF0\xE8\xEA\r\n");
}

TEST(RecordBytes, RoundTrip) {
    const BearingRecord r{12.7, 85, 15, 0.1, 12, 1, 2, 3, 2, "info text"};
    EXPECT_EQ(parseBearingRecord(formatBearingRecord(r)), r);
}

struct ReadCase {
    const char* name;
    std::string bytes;
    std::optional<BearingRecord> expected;
    friend void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.name; }
};

class RecordReader : public testing::TestWithParam<ReadCase> {};
TEST_P(RecordReader, IsTolerant) {
    EXPECT_EQ(parseBearingRecord(GetParam().bytes), GetParam().expected);
}
INSTANTIATE_TEST_SUITE_P(
    Table, RecordReader,
    testing::Values(
        ReadCase{"plain_numbers", "25 52 0 7.938 9 2 1 2 0 notes\r\n",
                 BearingRecord{25, 52, 0, 7.938, 9, 2, 1, 2, 0, "notes"}},
        ReadCase{"tabs_and_lines", "25\t52\r\n0 7.938\n9 2 1 2 0   two  blanks\r\nignored\r\n",
                 BearingRecord{25, 52, 0, 7.938, 9, 2, 1, 2, 0, "two  blanks"}},
        ReadCase{"only_d_and_D", "25 52", BearingRecord{25, 52, 0, 0, 0, 0, 0, 0, 0, ""}},
        ReadCase{"empty", "", BearingRecord{}},
        ReadCase{"ctrl_z_ends_it", "25 52\x1A 7 9 1 1 1 1 x",
                 BearingRecord{25, 52, 0, 0, 0, 0, 0, 0, 0, ""}},
        ReadCase{"no_text", "1 2 3 4 5 1 2 3 2", BearingRecord{1, 2, 3, 4, 5, 1, 2, 3, 2, ""}},
        ReadCase{"signs_and_exponent", "-1.5E+0000 +2 1e-1 .5 9 -1 +2 3 4 x",
                 BearingRecord{-1.5, 2, 0.1, 0.5, 9, -1, 2, 3, 4, "x"}},
        ReadCase{"real_with_comma", "25,5 52 0 7 9 0 0 0 0", std::nullopt},
        ReadCase{"code_not_integer", "25 52 0 7 9 1.5 0 0 0", std::nullopt},
        ReadCase{"code_too_large", "25 52 0 7 9 99999999999 0 0 0", std::nullopt},
        ReadCase{"word_for_number", "abc 52 0 7 9 0 0 0 0", std::nullopt},
        ReadCase{"real_beyond_range", "1e400 52 0 7 9 0 0 0 0", std::nullopt}),
    [](const testing::TestParamInfo<ReadCase>& i) { return std::string(i.param.name); });

TEST(RecordReader, AVeryLongRunIsReadInPieces) {
    // A real takes at most 64 characters; the rest of the run is the next number.
    const std::string run = std::string(63, '0') + "12";
    const auto r = parseBearingRecord(run + " 5 6 7 1 2 3 4");
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(r->d, 1);
    EXPECT_EQ(r->D, 2);
    EXPECT_EQ(r->a, 5);
}

class RecordFiles : public test::TempDirTest {};

TEST_F(RecordFiles, WriteReadAndAbsent) {
    const auto path = dir_ / "6205.Dat";
    EXPECT_EQ(ReadBearingRecord(path).outcome, RecordRead::Absent);
    const BearingRecord r{25, 52, 0, 7.938, 9, 2, 1, 2, 0, "x"};
    ASSERT_EQ(WriteBearingRecord(path, r), 0);
    EXPECT_EQ(readWholeFile(path), formatBearingRecord(r));
    const RecordRead back = ReadBearingRecord(path);
    EXPECT_EQ(back.outcome, RecordRead::Found);
    EXPECT_EQ(back.record, r);
}

TEST_F(RecordFiles, UnconvertibleNumbersAreUnreadable) {
    std::ofstream(dir_ / "bad.Dat") << "25 x 0 7 9 0 0 0 0\r\n";
    EXPECT_EQ(ReadBearingRecord(dir_ / "bad.Dat").outcome, RecordRead::Unreadable);
}

TEST_F(RecordFiles, AFailedWriteKeepsTheOldRecord) {
    EXPECT_EQ(WriteBearingRecord(dir_ / "missing" / "6205.Dat", {}), kFileNotFound);
    EXPECT_EQ(recordSaveFailureText(dir_ / "missing" / "6205.Dat", 1, kFileNotFound),
              "в катологе программы отсутствует  директория  .\\Basa\\Russian\\");
    std::filesystem::create_directories(dir_ / "6205.Dat" / "in-the-way");
    EXPECT_EQ(WriteBearingRecord(dir_ / "6205.Dat", {}), kFileAccessDenied);
    // The folder exists: the failure is said as it is, not as a missing folder.
    EXPECT_EQ(recordSaveFailureText(dir_ / "6205.Dat", 1, kDiskFull), "Disk full");
    EXPECT_TRUE(std::filesystem::is_directory(dir_ / "6205.Dat" / "in-the-way"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

} // namespace
} // namespace orbistan
