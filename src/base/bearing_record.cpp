#include "base/bearing_record.h"

#include "calc/numbers.h"
#include "shell/atomic_file.h"
#include "shell/number_reader.h"

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

bool WriteBearingRecord(const std::filesystem::path& path, const BearingRecord& r) {
    return writeFileAtomically(path, formatBearingRecord(r)) == 0;
}

RecordRead ReadBearingRecord(const std::filesystem::path& path) {
    const std::optional<std::string> bytes = readWholeFile(path);
    if (!bytes) {
        return {RecordRead::Absent, {}};
    }
    const std::optional<BearingRecord> record = parseBearingRecord(*bytes);
    if (!record) {
        return {RecordRead::Unreadable, {}};
    }
    return {RecordRead::Found, *record};
}

} // namespace orbistan
