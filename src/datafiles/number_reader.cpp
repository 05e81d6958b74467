#include "datafiles/number_reader.h"

#include "calc/numbers.h"

#include <charconv>

namespace orbistan {

std::string_view NumberReader::token(std::size_t limit) {
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

bool NumberReader::readReal(double& out) {
    const std::string_view t = token(64);
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

bool NumberReader::readInteger(int& out) {
    std::string_view t = token(32);
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

std::string_view NumberReader::restOfLine() {
    const std::size_t end = std::min(text_.find_first_of("\r\n", pos_), text_.size());
    const std::string_view line = text_.substr(pos_, end - pos_);
    pos_ = end;
    if (pos_ < text_.size() && text_[pos_] == '\r') {
        ++pos_;
    }
    if (pos_ < text_.size() && text_[pos_] == '\n') {
        ++pos_;
    }
    return line;
}

} // namespace orbistan
