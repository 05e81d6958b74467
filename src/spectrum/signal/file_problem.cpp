#include "spectrum/signal/file_problem.h"

#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "platform/runtime_error.h"

#include <cerrno>
#include <system_error>

namespace orbistan {

std::string problemText(const FileProblem& p) {
    std::string text = p.file.empty() ? std::string() : "Файл «" + p.file + "»: ";
    if (!p.where.empty()) {
        text += p.where + ": ";
    }
    return text + p.detail;
}

std::string fileNoteText(const std::string& file, const std::string& note) {
    return problemText({ProblemKind::Unsuited, file, "", note});
}

SpectrumFileError::SpectrumFileError(FileProblem problem)
    : std::runtime_error(problemText(problem)), problem_(std::move(problem)) {}

SpectrumFileError SpectrumFileError::of(const std::string& file) const {
    FileProblem p = problem_;
    if (p.file.empty()) {
        p.file = file;
    }
    return SpectrumFileError(std::move(p));
}

FileProblem readFailure(const std::string& file, int runtimeCode) {
    switch (runtimeCode) {
    case kFileNotFound:
    case kPathNotFound:
        return {ProblemKind::Missing, file, "", "такого файла нет"};
    case kFileAccessDenied:
        return {ProblemKind::Unreadable, file, "", "доступ запрещён"};
    case kTooManyOpenFiles:
        return {ProblemKind::Unreadable, file, "", "открыто слишком много файлов"};
    case kReadBeyondEnd:
        return {ProblemKind::Damaged, file, "", "файл обрывается"};
    default:
        return {ProblemKind::Unreadable, file, "",
                "ошибка чтения (" + std::to_string(runtimeCode) + ")"};
    }
}

FileProblem writeFailure(const std::filesystem::path& path, int runtimeCode) {
    const std::string name =
        path.filename().empty() ? visibleText(path.string()) : displayName(path);
    int refused = 0;
    std::error_code ec;
    if (!writeTarget(path, refused)) {
        if (refused == runtimeCodeFromErrno(ELOOP)) {
            return {ProblemKind::NotAFile, name, "", "ссылки на него ведут по кругу"};
        }
        return {ProblemKind::NotAFile, name, "",
                std::filesystem::is_directory(path, ec)
                    ? "это папка: записать файл на её место нельзя"
                    : "это не обычный файл (канал или устройство): записать его нельзя"};
    }
    switch (runtimeCode) {
    case kFileNotFound:
    case kPathNotFound:
        return {ProblemKind::Missing, name, "", "папки, в которую его пишут, нет"};
    case kFileAccessDenied:
        return {ProblemKind::Unwritable, name, "", "записать его нельзя: доступ запрещён"};
    case kDiskFull:
        return {ProblemKind::Unwritable, name, "",
                "на диске не хватило места: файл не записан, прежний не тронут"};
    default:
        return {ProblemKind::Unwritable, name, "",
                "ошибка записи (" + std::to_string(runtimeCode) + ")"};
    }
}

std::string displayName(const std::filesystem::path& path) {
    return visibleText(path.filename().string());
}

void requireRegularFile(const std::filesystem::path& path) {
    std::error_code ec;
    const auto status = std::filesystem::status(path, ec);
    // A loop of links or a folder that may not be entered is not a missing file.
    if (ec && ec.value() == ELOOP) {
        throw SpectrumFileError(
            {ProblemKind::Unreadable, displayName(path), "", "ссылки на него ведут по кругу"});
    }
    if (ec && ec.value() == EACCES) {
        throw SpectrumFileError({ProblemKind::Unreadable, displayName(path), "",
                                 "нет доступа к папке, в которой он лежит"});
    }
    if (!std::filesystem::exists(status)) {
        throw SpectrumFileError({ProblemKind::Missing, displayName(path), "", "такого файла нет"});
    }
    if (!std::filesystem::is_regular_file(status)) {
        throw SpectrumFileError(
            {ProblemKind::NotAFile, displayName(path), "", "это не файл данных"});
    }
}

} // namespace orbistan
