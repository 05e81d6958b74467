#include "shell/paths.h"
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

} // namespace
} // namespace orbistan
