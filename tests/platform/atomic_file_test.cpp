// Every data file's write under faults, and the reads that must not hang or fill memory.
#include "datafiles/bearing_record.h"
#include "datafiles/group_file.h"
#include "datafiles/settings.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <random>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace orbistan {
namespace {

namespace fs = std::filesystem;

// The three stored formats, each written through its own function.
struct Format {
    const char* name;
    const char* file;
    std::function<int(const fs::path& dir)> write;
};

const Format kFormats[] = {
    {"record", "6205.Dat",
     [](const fs::path& dir) {
         return WriteBearingRecord(dir / "6205.Dat", {25, 52, 0, 7.938, 9, 2, 1, 2, 0, "new"});
     }},
    {"group", "AutoSave.group",
     [](const fs::path& dir) { return WriteGroupFile(dir / "AutoSave.group", {}); }},
    {"settings", "SaveWalz.Bmp",
     [](const fs::path& dir) {
         return saveSettings(dir, {0, 0, 0, 100});
     }},
};

class WriteFaults : public test::TempDirTest {
protected:
    void TearDown() override {
        setWriteFaultForTesting({});
        TempDirTest::TearDown();
    }
    void writeOld(const char* file) { std::ofstream(dir_ / file, std::ios::binary) << "old\r\n"; }
    std::string bytes(const char* file) { return readWholeFile(dir_ / file).value_or("<none>"); }
    int tempFiles() {
        int n = 0;
        for (const auto& e : fs::directory_iterator(dir_)) {
            n += e.path().filename().string().find(".tmp-") != std::string::npos;
        }
        return n;
    }
};

TEST_F(WriteFaults, EachFailedStepKeepsTheOldFileAndSaysWhatFailed) {
    const struct {
        const char* step;
        int err;
        const char* text;
    } faults[] = {{"create", EROFS, "File access denied"}, {"create", EACCES, "File access denied"},
                  {"write", ENOSPC, "Disk full"},          {"write", EFBIG, "Disk full"},
                  {"sync", EIO, "I/O error 31"},           {"rename", EACCES, "File access denied"},
                  {"create", ENAMETOOLONG, "I/O error 36"}};
    for (const Format& format : kFormats) {
        for (const auto& fault : faults) {
            SCOPED_TRACE(std::string(format.name) + " " + fault.step + " " + fault.text);
            writeOld(format.file);
            setWriteFaultForTesting(
                [&](std::string_view step) { return step == fault.step ? fault.err : 0; });
            EXPECT_EQ(runtimeErrorText(format.write(dir_)), fault.text);
            EXPECT_EQ(bytes(format.file), "old\r\n");
            EXPECT_EQ(tempFiles(), 0);
            setWriteFaultForTesting({});
            EXPECT_EQ(format.write(dir_), 0);
            EXPECT_NE(bytes(format.file), "old\r\n");
        }
    }
}

TEST_F(WriteFaults, AFileSizeLimitIsADiskFullAndKeepsTheOldFile) {
    for (const Format& format : kFormats) {
        writeOld(format.file);
        const pid_t child = fork();
        if (child == 0) {
            std::signal(SIGXFSZ, SIG_IGN); // the write fails with EFBIG instead
            const rlimit limit{4, 4};
            setrlimit(RLIMIT_FSIZE, &limit);
            _exit(format.write(dir_));
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << format.name;
        EXPECT_EQ(WEXITSTATUS(status), kDiskFull) << format.name;
        EXPECT_EQ(bytes(format.file), "old\r\n") << format.name;
    }
}

TEST_F(WriteFaults, AKilledSaveLeavesTheOldOrTheNewRecordNeverAMix) {
    const fs::path path = dir_ / "6205.Dat";
    const BearingRecord a{25, 52, 0, 7.938, 9, 2, 1, 2, 0, std::string(3000, 'a')};
    const BearingRecord b{30, 62, 15, 9.525, 11, 1, 1, 1, 1, std::string(5000, 'b')};
    ASSERT_EQ(WriteBearingRecord(path, a), 0);
    std::mt19937 random(20261208);
    for (int kill = 0; kill < 200; ++kill) {
        const pid_t child = fork();
        if (child == 0) {
            for (int i = 0;; ++i) {
                WriteBearingRecord(path, i % 2 ? a : b);
            }
        }
        usleep(std::uniform_int_distribution<useconds_t>(0, 3000)(random));
        ::kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const RecordRead read = ReadBearingRecord(path);
        ASSERT_EQ(read.outcome, RecordRead::Found) << "kill " << kill;
        ASSERT_TRUE(read.record == a || read.record == b) << "kill " << kill;
    }
}

TEST_F(WriteFaults, LeftoversOfKilledWritesGoWhenTheFolderIsNextWritten) {
    const auto age = [&](const char* name, std::chrono::minutes ago) {
        std::ofstream(dir_ / name) << "x";
        fs::last_write_time(dir_ / name, fs::file_time_type::clock::now() - ago);
    };
    age("6205.Dat.tmp-a1B2c3", std::chrono::minutes(2)); // ours, stale: goes
    age("6206.Dat.tmp-Zz9999", std::chrono::minutes(0)); // ours, perhaps still being written
    age("notes.tmp-12345", std::chrono::minutes(5));     // not our pattern
    age("photo.tmp-ab_cde", std::chrono::minutes(5));    // not our pattern
    age("readme.txt", std::chrono::minutes(5));
    ASSERT_EQ(WriteBearingRecord(dir_ / "7.Dat", {}), 0);
    EXPECT_FALSE(fs::exists(dir_ / "6205.Dat.tmp-a1B2c3"));
    for (const char* kept :
         {"6206.Dat.tmp-Zz9999", "notes.tmp-12345", "photo.tmp-ab_cde", "readme.txt", "7.Dat"}) {
        EXPECT_TRUE(fs::exists(dir_ / kept)) << kept;
    }
}

TEST_F(WriteFaults, DeletionRemovesFilesOnlyAndReportsWhatStays) {
    EXPECT_EQ(removeDataFile(dir_ / "missing.Dat"), 0);
    fs::create_directories(dir_ / "folder.Dat");
    EXPECT_EQ(removeDataFile(dir_ / "folder.Dat"), kFileAccessDenied);
    EXPECT_TRUE(fs::is_directory(dir_ / "folder.Dat"));
    writeOld("6205.Dat");
    setWriteFaultForTesting([](std::string_view step) { return step == "remove" ? EROFS : 0; });
    EXPECT_EQ(removeDataFile(dir_ / "6205.Dat"), kFileAccessDenied);
    EXPECT_TRUE(fs::exists(dir_ / "6205.Dat"));
    setWriteFaultForTesting({});
    EXPECT_EQ(removeDataFile(dir_ / "6205.Dat"), 0);
    EXPECT_FALSE(fs::exists(dir_ / "6205.Dat"));
}

TEST_F(WriteFaults, OnlyRegularFilesOfADataFilesSizeAreRead) {
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0644), 0);
    fs::create_symlink("/dev/zero", dir_ / "zero");
    fs::create_directories(dir_ / "folder");
    std::ofstream(dir_ / "huge", std::ios::binary) << std::string(kDataFileLimit + 1, '7');
    std::ofstream(dir_ / "limit", std::ios::binary) << std::string(kDataFileLimit, '7');
    fs::create_symlink(dir_ / "limit", dir_ / "link");
    EXPECT_EQ(readDataFile(dir_ / "fifo").error, kFileAccessDenied);
    EXPECT_EQ(readDataFile(dir_ / "zero").error, kFileAccessDenied);
    EXPECT_EQ(readDataFile(dir_ / "folder").error, kFileAccessDenied);
    EXPECT_EQ(readDataFile(dir_ / "huge").error, kInvalidNumericInput);
    EXPECT_EQ(readDataFile(dir_ / "missing").error, kFileNotFound);
    EXPECT_EQ(readDataFile(dir_ / "limit").bytes.size(), kDataFileLimit);
    EXPECT_EQ(readDataFile(dir_ / "link").error, 0);
}

// A write goes through symbolic links to what they lead to; a folder, a FIFO or a device
// where the path leads is refused and stays, and so does a loop of links.
TEST_F(WriteFaults, WritesThroughLinksAndNeverReplacesWhatIsNotARegularFile) {
    ASSERT_EQ(mkfifo((dir_ / "fifo").c_str(), 0644), 0);
    fs::create_directories(dir_ / "folder");
    fs::create_symlink(dir_ / "fifo", dir_ / "to-fifo");
    fs::create_symlink("/dev/null", dir_ / "to-null");
    fs::create_symlink(dir_ / "a", dir_ / "b");
    fs::create_symlink(dir_ / "b", dir_ / "a");
    for (const char* name : {"fifo", "folder", "to-fifo", "to-null"}) {
        EXPECT_EQ(writeFileAtomically(dir_ / name, "new"), kFileAccessDenied) << name;
    }
    EXPECT_NE(writeFileAtomically(dir_ / "a", "new"), 0);
    EXPECT_TRUE(fs::is_fifo(dir_ / "fifo"));
    EXPECT_TRUE(fs::is_directory(dir_ / "folder"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "to-fifo") && fs::is_symlink(dir_ / "to-null"));
    EXPECT_TRUE(fs::is_symlink(dir_ / "a") && fs::is_symlink(dir_ / "b"));

    // Relative links, a chain of two, the second dangling: the file is made where it leads.
    fs::create_symlink("second", dir_ / "first");
    fs::create_symlink("data.Dat", dir_ / "second");
    ASSERT_EQ(writeFileAtomically(dir_ / "first", "new"), 0);
    EXPECT_TRUE(fs::is_symlink(dir_ / "first") && fs::is_symlink(dir_ / "second"));
    EXPECT_EQ(readWholeFile(dir_ / "data.Dat"), "new");
    int error = 0;
    EXPECT_EQ(writeTarget(dir_ / "first", error), dir_ / "data.Dat");
}

TEST_F(WriteFaults, AnUnreadableFileIsKeptBesideUnderANewName) {
    writeOld("AutoSave.group");
    std::ofstream(dir_ / "AutoSave.unreadable-2026-12-08.group") << "earlier";
    EXPECT_EQ(keepUnreadableBeside(dir_ / "AutoSave.group", "2026-12-08"),
              dir_ / "AutoSave.unreadable-2026-12-08-2.group");
    EXPECT_FALSE(fs::exists(dir_ / "AutoSave.group"));
    EXPECT_EQ(bytes("AutoSave.unreadable-2026-12-08-2.group"), "old\r\n");
    EXPECT_EQ(bytes("AutoSave.unreadable-2026-12-08.group"), "earlier");
    EXPECT_EQ(keepUnreadableBeside(dir_ / "missing.group", "2026-12-08"), fs::path());
}

TEST_F(WriteFaults, UnreadableSettingsAreKeptBesideAndAFirstStartFollows) {
    writeOld("SaveWalz.Bmp");
    const SettingsLoad load = loadSettingsOrStartAfresh(dir_, "2026-12-08");
    EXPECT_EQ(load.outcome, SettingsLoad::Read);
    EXPECT_EQ(load.values, Settings{});
    EXPECT_EQ(load.errorCode, kInvalidNumericInput);
    EXPECT_EQ(load.keptAs, dir_ / "SaveWalz.unreadable-2026-12-08.Bmp");
    EXPECT_EQ(bytes("SaveWalz.unreadable-2026-12-08.Bmp"), "old\r\n");
    EXPECT_EQ(bytes("SaveWalz.Bmp"), "1 1 1 1\r\n");
}

} // namespace
} // namespace orbistan
