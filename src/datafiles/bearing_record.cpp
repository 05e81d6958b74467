#include "datafiles/bearing_record.h"

#include "calc/numbers.h"
#include "datafiles/number_reader.h"
#include "platform/atomic_file.h"
#include "platform/runtime_error.h"

namespace orbistan {

std::string formatBearingRecord(const BearingRecord& r) {
    std::string line;
    for (double v : {r.d, r.D, r.a, r.dw, r.Z}) {
        if (!line.empty()) {
            line += ' ';
        }
        line += formatFileReal(v);
    }
    for (int code : {r.kind, r.rows, r.load, r.shape}) {
        line += ' ';
        line += std::to_string(code);
    }
    line += ' ';
    line += r.info;
    line += "\r\n";
    return line;
}

std::optional<BearingRecord> parseBearingRecord(std::string_view bytes) {
    bytes = bytes.substr(0, bytes.find('\x1A'));
    NumberReader in(bytes);
    BearingRecord r;
    for (double* v : {&r.d, &r.D, &r.a, &r.dw, &r.Z}) {
        if (!in.readReal(*v)) {
            return std::nullopt;
        }
    }
    for (int* code : {&r.kind, &r.rows, &r.load, &r.shape}) {
        if (!in.readInteger(*code)) {
            return std::nullopt;
        }
    }
    std::string_view info = in.restOfLine();
    info.remove_prefix(std::min(info.find_first_not_of(' '), info.size()));
    r.info = std::string(info);
    return r;
}

int WriteBearingRecord(const std::filesystem::path& path, const BearingRecord& r) {
    return writeFileAtomically(path, formatBearingRecord(r));
}

std::string recordSaveFailureText(const std::filesystem::path& path, int standard, int error) {
    std::error_code ec;
    if (!std::filesystem::is_directory(path.parent_path(), ec)) {
        return standard == 1 ? "в катологе программы отсутствует  директория  .\\Basa\\Russian\\"
                             : "в катологе программы отсутствует  директория  .\\Basa\\import\\";
    }
    return runtimeErrorText(error);
}

RecordRead ReadBearingRecord(const std::filesystem::path& path) {
    const FileBytes read = readDataFile(path);
    if (read.error == kFileNotFound || read.error == kPathNotFound) {
        return {RecordRead::Absent, {}, 0};
    }
    if (read.error != 0) {
        return {RecordRead::Unreadable, {}, read.error};
    }
    const std::optional<BearingRecord> record = parseBearingRecord(read.bytes);
    if (!record) {
        return {RecordRead::Unreadable, {}, kInvalidNumericInput};
    }
    return {RecordRead::Found, *record, 0};
}

} // namespace orbistan
