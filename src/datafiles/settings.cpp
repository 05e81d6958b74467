#include "datafiles/settings.h"

#include "platform/atomic_file.h"
#include "platform/runtime_error.h"

#include <charconv>

namespace orbistan {

std::string formatSettings(const Settings& s) {
    return std::to_string(s.AutoClear) + ' ' + std::to_string(s.KeepFr) + ' ' +
           std::to_string(s.AutoLoad) + ' ' + std::to_string(s.Precision) + "\r\n";
}

std::optional<Settings> parseSettings(std::string_view text) {
    int values[4] = {0, 0, 0, 0};
    std::size_t i = 0;
    for (int& value : values) {
        while (i < text.size() && static_cast<unsigned char>(text[i]) <= ' ') {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && static_cast<unsigned char>(text[i]) > ' ') {
            ++i;
        }
        if (start == i) {
            break; // the end of the file: this and the remaining numbers read as 0
        }
        std::string_view token = text.substr(start, i - start);
        if (token.front() == '+') {
            token.remove_prefix(1);
        }
        const auto [end, ec] = std::from_chars(token.data(), token.data() + token.size(), value);
        if (ec != std::errc() || end != token.data() + token.size()) {
            return std::nullopt;
        }
    }
    return Settings{values[0], values[1], values[2], values[3]};
}

SettingsLoad loadSettings(const std::filesystem::path& programDir) {
    const std::filesystem::path path = programDir / kSettingsFileName;
    SettingsLoad load;
    FileBytes read = readDataFile(path);
    if (read.error == kFileNotFound) {
        load.created = true;
        if (const int err = saveSettings(programDir, Settings{})) {
            load.outcome = SettingsLoad::IoError;
            load.errorCode = err;
            return load;
        }
        read = readDataFile(path);
    }
    if (read.error != 0) {
        // Not a file that could be read (a FIFO, a device, a huge file): it is left alone.
        load.outcome = SettingsLoad::IoError;
        load.errorCode = read.error;
        return load;
    }
    const std::optional<Settings> parsed = parseSettings(read.bytes);
    if (!parsed) {
        load.outcome = SettingsLoad::Corrupt;
        load.errorCode = kInvalidNumericInput;
        return load;
    }
    load.values = *parsed;
    return load;
}

SettingsLoad loadSettingsOrStartAfresh(const std::filesystem::path& programDir,
                                       std::string_view date) {
    const SettingsLoad first = loadSettings(programDir);
    const std::filesystem::path path = programDir / kSettingsFileName;
    std::error_code ec;
    const auto type = std::filesystem::symlink_status(path, ec).type();
    if (first.outcome == SettingsLoad::Read || type == std::filesystem::file_type::not_found ||
        type == std::filesystem::file_type::directory) {
        return first; // nothing there to keep, or a folder that is not ours to move
    }
    const std::filesystem::path kept = keepUnreadableBeside(path, date);
    if (kept.empty()) {
        return first;
    }
    SettingsLoad fresh = loadSettings(programDir);
    fresh.keptAs = kept;
    if (fresh.outcome == SettingsLoad::Read) {
        fresh.errorCode = first.errorCode; // what made the old file unreadable
    }
    return fresh;
}

int saveSettings(const std::filesystem::path& programDir, const Settings& s) {
    const std::filesystem::path path = programDir / kSettingsFileName;
    const std::string bytes = formatSettings(s);
    // The load saves after each option it applies; a file that already holds these bytes
    // needs no new copy flushed to disk.
    if (readWholeFile(path) == bytes) {
        return 0;
    }
    return writeFileAtomically(path, bytes);
}

} // namespace orbistan
