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

// Finds the data folders below programDir, adopting folders that exist under another letter
// case (a base copied from a case-insensitive file system is typically "BASA").
DataFolders findDataFolders(const std::filesystem::path& programDir);

// Creates the missing data folders with their parents, in the order Group, import, Russian.
// Failures are ignored: later file operations report their own.
DataFolders createDataFolders(const std::filesystem::path& programDir);

} // namespace orbistan
