#include "spectrum/spectrum.h"

#include "platform/cp1251.h"

#include <system_error>

namespace orbistan {

std::string fileMessagePrefix(const std::string& name) {
    return "Файл «" + name + "»: ";
}

std::string displayName(const std::filesystem::path& path) {
    return displayText(path.filename().string());
}

void requireRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    if (!std::filesystem::exists(status)) {
        throw SpectrumFileError(fileMessagePrefix(displayName(path)) + "такого файла нет");
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw SpectrumFileError(fileMessagePrefix(displayName(path)) + "это не файл данных");
    }
}

} // namespace orbistan
