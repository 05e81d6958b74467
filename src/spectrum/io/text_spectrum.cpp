#include "spectrum/io/text_spectrum.h"

#include "spectrum/io/file_format.h"

#include "platform/cp1251.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <optional>
#include <vector>

namespace orbistan {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\v' || c == '\f';
}

std::string_view trim(std::string_view s) {
    while (!s.empty() && isBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && isBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

bool isComment(std::string_view line) {
    return line.front() == '#' || line.front() == '%' || line.front() == '!' ||
           line.starts_with("//");
}

// The fields of a line. Tabs and semicolons separate when present, else blanks, else
// commas.
std::vector<std::string> fieldsOf(std::string_view line) {
    std::vector<std::string> fields;
    const bool hard = line.find_first_of("\t;") != std::string_view::npos;
    const bool blanks = !hard && line.find(' ') != std::string_view::npos;
    const auto separates = [&](char c) {
        return hard ? (c == '\t' || c == ';') : blanks ? isBlank(c) : c == ',';
    };
    std::size_t start = 0;
    for (std::size_t i = 0; i <= line.size(); ++i) {
        if (i == line.size() || separates(line[i])) {
            const std::string_view field = trim(line.substr(start, i - start));
            if (!field.empty() || hard || !blanks) {
                fields.emplace_back(field);
            }
            start = i + 1;
        }
    }
    while (!fields.empty() && fields.back().empty()) {
        fields.pop_back();
    }
    return fields;
}

// A field as a number; a comma in it is a decimal comma (comma-separated lines have none).
std::optional<double> number(std::string text) {
    std::replace(text.begin(), text.end(), ',', '.');
    const std::size_t start = text.starts_with('+') ? 1 : 0;
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data() + start, end, value);
    if (ec != std::errc{} || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A header's field as an axis caption, when it is one short line of printable text.
std::string captionOf(const std::string& field) {
    if (field.size() > 60 || std::any_of(field.begin(), field.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20;
        })) {
        return {};
    }
    return visibleText(field);
}

// A field as a message quotes it: readable, and never a screenful.
std::string quoted(const std::string& field) {
    return visibleText(field.size() > 40 ? field.substr(0, 40) + "…" : field);
}

} // namespace

namespace {

[[noreturn]] void failAt(const std::string& name, std::size_t lineNumber, const std::string& why) {
    throw SpectrumFileError(
        {ProblemKind::Damaged, name, "строка " + std::to_string(lineNumber), why});
}

// The line from `pos` on, trimmed; `pos` moves past its line break (CR, LF or CR LF).
std::string_view nextLine(std::string_view bytes, std::size_t& pos) {
    std::size_t end = bytes.find_first_of("\r\n", pos);
    if (end == std::string_view::npos) {
        end = bytes.size();
    }
    const std::string_view line = trim(bytes.substr(pos, end - pos));
    pos = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
    return line;
}

// A line that is neither blank nor a comment: a header before the data, or a frequency and
// its amplitude.
void takeLine(std::string_view line, std::size_t lineNumber, const std::string& name, Spectrum& s,
              std::string& header) {
    const std::vector<std::string> fields = fieldsOf(line);
    const std::optional<double> f = fields.size() >= 2 ? number(fields[0]) : std::nullopt;
    const std::optional<double> a = fields.size() >= 2 ? number(fields[1]) : std::nullopt;
    if (!f || !a) {
        if (s.frequency.empty()) {
            header = fields.size() >= 2 ? captionOf(fields[1]) : std::string();
            return;
        }
        failAt(name, lineNumber,
               fields.size() < 2 ? "ожидались два числа: частота и амплитуда"
                                 : "«" + quoted(fields[!f ? 0 : 1]) + "» не число");
    }
    if (*f < 0) {
        failAt(name, lineNumber, "отрицательная частота");
    }
    if (!s.frequency.empty() && *f <= s.frequency.back()) {
        failAt(name, lineNumber, "частоты должны возрастать");
    }
    s.frequency.push_back(*f);
    s.amplitude.push_back(*a);
}

} // namespace

Spectrum readTextSpectrum(std::string_view bytes, const std::string& name,
                          const Progress& progress) {
    if (const std::size_t at = bytes.find('\0'); at != std::string_view::npos) {
        failAt(name, 1 + std::count(bytes.begin(), bytes.begin() + at, '\n'),
               "это не текст (двоичные данные)");
    }
    Spectrum s;
    s.source = name;
    std::string header;
    std::size_t lineNumber = 0;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::string_view line = nextLine(bytes, pos);
        if (++lineNumber % 65536 == 0) {
            progress.step(static_cast<double>(pos) / bytes.size());
        }
        if (!line.empty() && !isComment(line)) {
            takeLine(line, lineNumber, name, s, header);
        }
    }
    if (s.frequency.size() < 3) {
        throw SpectrumFileError(
            {ProblemKind::Damaged, name, "", "в нём меньше трёх строк с частотой и амплитудой"});
    }
    s.units = unitsFromCaption(header);
    s.resolution = (s.frequency.back() - s.frequency.front()) / (s.frequency.size() - 1);
    return s;
}

namespace {

bool anyFile(std::string_view, const std::filesystem::path&) {
    return true; // the last resort: its reader says which line is not a spectrum
}

FileContents readTextFile(const std::filesystem::path& path, const SourceChoice&,
                          const Progress& progress) {
    FileContents c;
    c.format = textSpectrumFormat().key;
    c.description = "текст";
    c.spectrum = readTextSpectrum(readTextFileBytes(path), displayName(path), progress);
    c.spectrum->source = displayName(path);
    return c;
}

} // namespace

const FileFormat& textSpectrumFormat() {
    static const FileFormat format{
        "text", "Спектры в тексте", {"csv", "txt", "tsv", "dat", "asc"}, anyFile, readTextFile};
    return format;
}

} // namespace orbistan
