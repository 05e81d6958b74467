#pragma once
// The file key of a bearing number and the path of its record file.

#include "platform/paths.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

struct BearingKey {
    std::string trimmed; // the bearing number after the trim, as the field shows it
    std::string key;     // the name of its record file without ".Dat"
};

// Code page 1251 bytes in, code page 1251 bytes out: the twelve characters " * , - / : < > ?
// \ _ | become '%', Latin and Cyrillic lower-case letters become upper-case (but not ё).
// Empty for a number that holds a control character: it never becomes a file name.
std::optional<BearingKey> BearingFileKey(std::string_view numberText);

// The record's folder by the standard (1 "российский", 0 "другой") and its file name, the
// key in UTF-8 as file names are on this system, with ".Dat": always a file directly inside
// that folder.
std::filesystem::path BearingRecordPath(const DataFolders& folders, int standard,
                                        const BearingKey& key);

} // namespace orbistan
