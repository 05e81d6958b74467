#include "base/bearing_record.h"

#include "calc/numbers.h"
#include "shell/atomic_file.h"

#include <charconv>

namespace orbistan {

namespace {

// Reads the numbers of a record one by one, as the text-file reader of the format does.
class NumberReader {
public:
    explicit NumberReader(std::string_view text) : text_(text) {}

    // The next run of characters above the blank, at most `limit` of them; empty at the end.
    std::string_view token(std::size_t limit) {
        while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) <= ' ') {
            ++pos_;
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() &&
               pos_ - start<limit&& static_cast<unsigned char>(text_[pos_])> ' ') {
            ++pos_;
        }
        return text_.substr(start, pos_ - start);
    }

    // The rest of the current line.
    std::string_view restOfLine() {
        const std::size_t end = text_.find_first_of("\r\n", pos_);
        return text_.substr(pos_,
                            end == std::string_view::npos ? std::string_view::npos : end - pos_);
    }

private:
    std::string_view text_;
    std::size_t pos_ = 0;
};

bool readReal(NumberReader& in, double& out) {
    const std::string_view t = in.token(64);
    if (t.empty()) {
        out = 0;
        return true;
    }
    const std::optional<double> v = readNumber(t);
    if (!v) {
        return false;
    }
    out = *v;
    return true;
}

bool readCode(NumberReader& in, int& out) {
    std::string_view t = in.token(32);
    if (t.empty()) {
        out = 0;
        return true;
    }
    if (t.front() == '+') {
        t.remove_prefix(1);
    }
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), out);
    return ec == std::errc() && end == t.data() + t.size();
}

} // namespace

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
        if (!readReal(in, *v)) {
            return std::nullopt;
        }
    }
    for (int* code : {&r.kind, &r.rows, &r.load, &r.shape}) {
        if (!readCode(in, *code)) {
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
