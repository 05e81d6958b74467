#pragma once
// The settings file "SaveWalz.Bmp": one line of four integers, AutoClear, KeepFr, AutoLoad
// and Precision, separated by blanks and ended by CR LF.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

inline constexpr const char* kSettingsFileName = "SaveWalz.Bmp";

struct Settings {
    int AutoClear = 1;
    int KeepFr = 1;
    int AutoLoad = 1;
    int Precision = 1;
    bool operator==(const Settings&) const = default;
};

std::string formatSettings(const Settings& s);

// Any white space, line breaks included, may stand between the numbers; what follows the
// fourth is ignored; a number missing at the end of the file reads as 0. Empty when a token
// is not a decimal integer of 32 bits.
std::optional<Settings> parseSettings(std::string_view text);

struct SettingsLoad {
    enum Outcome { Read, IoError, Corrupt } outcome = Read;
    Settings values;              // as read; the defaults 1 1 1 1 after an I/O error
    bool created = false;         // the file was missing and has been written with the defaults
    int errorCode = 0;            // run-time error code of an IoError or Corrupt outcome
    std::filesystem::path keptAs; // where an unreadable file went (loadSettingsOrStartAfresh)
};

// Reads the settings file; a file that cannot be opened is first written with the defaults.
SettingsLoad loadSettings(const std::filesystem::path& programDir);

// The load of the window's start-up: a settings file that is there but cannot be read or
// understood is moved beside it (keptAs, errorCode) before anything replaces it, and the file
// of a first start is made in its place. When it cannot be moved, the outcome stays IoError
// or Corrupt.
SettingsLoad loadSettingsOrStartAfresh(const std::filesystem::path& programDir,
                                       std::string_view date);

// 0, or the run-time error code of the failure. The old file survives a failure.
int saveSettings(const std::filesystem::path& programDir, const Settings& s);

} // namespace orbistan
