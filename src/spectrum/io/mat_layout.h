#pragma once
// The layout of a MATLAB file checked against its bytes before matio or HDF5 reads it: both
// allocate what the file's sizes say and fill what the file holds, so a damaged or crafted
// file could claim gigabytes or leave values uninitialised.

#include "spectrum/io/mat_file.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

enum class MatVersion { V4, V5, V73 };

// The version matio reads a file as, from its first 128 bytes: the version word (0x0100,
// 0x0200) in the byte order the mark after it says, whatever the text says; anything else is
// read as version 4.
MatVersion matVersion(std::string_view header);

// Where a version 5 file's top-level variable lies, its tag included; a plain matrix is
// padded to 8 bytes after it (a writer may leave the last one's out).
struct MatElement {
    std::uint64_t at = 0, bytes = 0;
    bool padded = false;
};

struct MatLayout {
    MatVersion version = MatVersion::V4;
    // What is wrong with the file's layout, in a phrase for a message ("файл обрывается:
    // …"); empty when its sizes agree with its bytes. Versions 4, 5 (compressed variables
    // inflated and walked too) and 7.3 (its HDF5 superblock).
    std::string problem;
    // Version 5: its numeric vectors as matio lists them (top-level variables and the
    // fields of 1×1 structs, "bearing.gs"), found by the same walk, each with the index of
    // its top-level variable in `elements`.
    std::vector<MatVector> vectors;
    std::vector<std::size_t> elementOf;
    std::vector<MatElement> elements;
};

MatLayout matLayout(const std::filesystem::path& path);

} // namespace orbistan
