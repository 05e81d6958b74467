#include "spectrum/spectrum.h"

#include "platform/cp1251.h"
#include "platform/runtime_error.h"

#include <algorithm>
#include <cmath>
#include <sstream>
#include <system_error>

namespace orbistan {

std::string fileMessagePrefix(const std::string& name) {
    return "Файл «" + name + "»: ";
}

std::string readFailureText(int runtimeCode) {
    switch (runtimeCode) {
    case kFileNotFound:
    case kPathNotFound:
        return "такого файла нет";
    case kFileAccessDenied:
        return "доступ запрещён";
    case kTooManyOpenFiles:
        return "открыто слишком много файлов";
    case kReadBeyondEnd:
        return "файл обрывается";
    default:
        return "ошибка чтения (" + std::to_string(runtimeCode) + ")";
    }
}

std::string displayName(const std::filesystem::path& path) {
    return visibleText(path.filename().string());
}

std::string rateText(double rate) {
    std::ostringstream out;
    out.precision(12);
    out << rate;
    std::string text = out.str();
    std::replace(text.begin(), text.end(), '.', ',');
    return text;
}

void requireSampleRate(double rate, const std::string& fileName) {
    if (!(std::isfinite(rate) && rate >= kMinSampleRate && rate <= kMaxSampleRate)) {
        throw SpectrumFileError(fileMessagePrefix(fileName) + "частота дискретизации " +
                                rateText(rate) + " Гц вне 1 Гц … 10 МГц");
    }
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
