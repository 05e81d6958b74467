#pragma once
// Data files are replaced whole: written to a temporary file in the same folder, flushed to
// disk, then renamed over the old one, so that a crash or a full disk never leaves a
// half-written file and never destroys the old one. They are read only when they are regular
// files of a data file's size, so that a FIFO, a device or a huge file in their place is
// refused instead of hanging the program or filling its memory.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

// A record, a group or a settings file is a few kilobytes; this leaves a generous margin.
inline constexpr std::size_t kDataFileLimit = 1 << 20;

// 0 on success, otherwise the run-time error code of the failure. Before writing, temporary
// files that an interrupted write of this program left in the folder more than a minute ago
// are removed. A symbolic link is written through (the link stays, what it leads to is
// replaced); a folder, a FIFO or a device, where the path leads, is refused
// (kFileAccessDenied) and left as it is, never replaced by a regular file.
int writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// Where writeFileAtomically would write for the path: the path, or where its symbolic links
// lead; none, with the run-time error code, for a loop of links or a target that is not a
// regular file.
std::optional<std::filesystem::path> writeTarget(const std::filesystem::path& path, int& error);

struct FileBytes {
    int error = 0; // 0, or the run-time error code: kFileNotFound when there is no such file
    std::string bytes;
};
FileBytes readDataFile(const std::filesystem::path& path, std::size_t limit = kDataFileLimit);

// The whole data file, or empty when it cannot be read for any reason.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

// Removes a data file: 0 when it is gone (or was never there), otherwise the run-time error
// code; a folder in its place is refused, never removed.
int removeDataFile(const std::filesystem::path& path);

// Renames a file that could not be read out of the way of the next save, beside it as
// "<stem>.unreadable-<date><extension>" (a number added when that exists). Returns the new
// path, or an empty one when the rename failed.
std::filesystem::path keepUnreadableBeside(const std::filesystem::path& path,
                                           std::string_view date);

// Today's date as YYYY-MM-DD, local time.
std::string todayIso();

// Fault injection for tests: called before each step of a write with its name ("create",
// "write", "sync", "rename", "remove"); a non-zero errno it returns makes that step fail.
using WriteFault = std::function<int(std::string_view step)>;
void setWriteFaultForTesting(WriteFault fault);

} // namespace orbistan
