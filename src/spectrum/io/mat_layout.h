#pragma once
// The layout of a MATLAB file checked against its bytes before matio or HDF5 reads it: both
// allocate what the file's sizes say and fill what the file holds, so a damaged or crafted
// file could claim gigabytes or leave values uninitialised.

#include <filesystem>
#include <string>
#include <string_view>

namespace orbistan {

enum class MatVersion { V4, V5, V73 };

// The version matio reads a file as, from its first 128 bytes: the version word (0x0100,
// 0x0200) in the byte order the mark after it says, whatever the text says; anything else is
// read as version 4.
MatVersion matVersion(std::string_view header);

// What is wrong with the file's layout, in a phrase for a message ("файл обрывается: …");
// empty when its sizes agree with its bytes. Versions 4, 5 (compressed variables inflated
// and walked too) and 7.3 (its HDF5 superblock).
std::string matLayoutProblem(const std::filesystem::path& path);

} // namespace orbistan
