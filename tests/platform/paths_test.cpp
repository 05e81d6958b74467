#include "platform/paths.h"
#include "temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace orbistan {
namespace {

namespace fs = std::filesystem;

class DataFoldersTest : public test::TempDirTest {};

TEST_F(DataFoldersTest, CreatesTheThreeFoldersBelowBasa) {
    const DataFolders f = createDataFolders(dir_);
    EXPECT_EQ(f.group, dir_ / "Basa" / "Group");
    EXPECT_EQ(f.other, dir_ / "Basa" / "import");
    EXPECT_EQ(f.russian, dir_ / "Basa" / "Russian");
    for (const auto& p : {f.group, f.other, f.russian}) {
        EXPECT_TRUE(fs::is_directory(p)) << p;
    }
}

TEST_F(DataFoldersTest, AdoptsFoldersOfAnotherLetterCase) {
    fs::create_directories(dir_ / "BASA" / "RUSSIAN");
    const DataFolders f = createDataFolders(dir_);
    EXPECT_EQ(f.russian, dir_ / "BASA" / "RUSSIAN");
    EXPECT_EQ(f.other, dir_ / "BASA" / "import");
    EXPECT_FALSE(fs::exists(dir_ / "Basa"));
}

TEST_F(DataFoldersTest, PrefersTheExactSpelling) {
    fs::create_directories(dir_ / "BASA");
    fs::create_directories(dir_ / "Basa");
    EXPECT_EQ(findDataFolders(dir_).base, dir_ / "Basa");
}

TEST_F(DataFoldersTest, IgnoresAFileInTheWay) {
    { std::ofstream(dir_ / "Basa") << "x"; }
    const DataFolders f = createDataFolders(dir_); // must not throw
    EXPECT_FALSE(fs::is_directory(f.russian));
}

TEST(UserDataDirTest, FollowsTheXdgRules) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* want;
    } cases[] = {
        {"/x/data", "/home/u", "/x/data/orbistan"},
        {nullptr, "/home/u", "/home/u/.local/share/orbistan"},
        {"", "/home/u", "/home/u/.local/share/orbistan"},         // set but empty
        {"rel/data", "/home/u", "/home/u/.local/share/orbistan"}, // relative: ignored
        {nullptr, "relative", ""},
        {nullptr, nullptr, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(userDataDir(c.xdg, c.home), fs::path(c.want))
            << (c.xdg ? c.xdg : "(unset)") << " " << (c.home ? c.home : "(unset)");
    }
}

} // namespace
} // namespace orbistan
