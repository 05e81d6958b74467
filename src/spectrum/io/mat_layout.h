#pragma once
// The layout of a MATLAB file checked against its bytes before matio or HDF5 reads it: both
// allocate what the file's sizes say and fill what the file holds, so a damaged or crafted
// file could claim gigabytes or leave values uninitialised.

#include <filesystem>
#include <string>

namespace orbistan {

// What is wrong with the file's layout, in a phrase for a message ("файл обрывается: …");
// empty when its sizes agree with its bytes. Versions 4, 5 (compressed variables inflated
// and walked too) and 7.3 (its HDF5 superblock).
std::string matLayoutProblem(const std::filesystem::path& path);

} // namespace orbistan
