#include "shell/settings.h"

#include "shell/atomic_file.h"
#include "shell/runtime_error.h"

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
    std::optional<std::string> text = readWholeFile(path);
    if (!text) {
        load.created = true;
        if (const int err = saveSettings(programDir, Settings{})) {
            load.outcome = SettingsLoad::IoError;
            load.errorCode = err;
            return load;
        }
        text = readWholeFile(path);
        if (!text) {
            load.outcome = SettingsLoad::IoError;
            load.errorCode = kFileNotFound;
            return load;
        }
    }
    const std::optional<Settings> parsed = parseSettings(*text);
    if (!parsed) {
        load.outcome = SettingsLoad::Corrupt;
        load.errorCode = kInvalidNumericInput;
        return load;
    }
    load.values = *parsed;
    return load;
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
