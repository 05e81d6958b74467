#pragma once
// The program directory and the data folders below it.

#include <filesystem>
#include <string>

namespace orbistan {

struct DataFolders {
    std::filesystem::path base;    // "Basa", or an existing folder of another letter case
    std::filesystem::path russian; // records of the standard "российский"
    std::filesystem::path other;   // records of the standard "другой"
    std::filesystem::path group;   // group files
};

// The current working directory, without a trailing separator.
std::string currentProgramDir();

// The user's data directory of the program, $XDG_DATA_HOME/orbistan or else
// $HOME/.local/share/orbistan, from those two variables' values (null when unset). A relative
// XDG_DATA_HOME is ignored, as the XDG base directory rules say. Empty when neither gives an
// absolute directory.
std::filesystem::path userDataDir(const char* xdgDataHome, const char* home);

// The external calculator "CALC.exe" in programDir, in any letter case (the exact spelling
// first), or an empty path when there is no such regular file.
std::filesystem::path findCalculator(const std::filesystem::path& programDir);

// Finds the data folders below programDir, adopting folders that exist under another letter
// case (a base copied from a case-insensitive file system is typically "BASA").
DataFolders findDataFolders(const std::filesystem::path& programDir);

// Creates the missing data folders with their parents, in the order Group, import, Russian.
// Failures are ignored: later file operations report their own.
DataFolders createDataFolders(const std::filesystem::path& programDir);

} // namespace orbistan
