#pragma once
// Data files are replaced whole: written to a temporary file in the same folder, flushed to
// disk, then renamed over the old one, so that a crash or a full disk never leaves a
// half-written file and never destroys the old one.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

// 0 on success, otherwise the run-time error code of the failure.
int writeFileAtomically(const std::filesystem::path& path, std::string_view bytes);

// The whole file, or empty when it cannot be opened or read.
std::optional<std::string> readWholeFile(const std::filesystem::path& path);

} // namespace orbistan
