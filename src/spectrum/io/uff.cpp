#include "spectrum/io/uff.h"

#include "platform/cp1251.h"
#include "spectrum/io/file_format.h"

#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <optional>

namespace orbistan {

namespace {

// Records 1 to 11 of a dataset 58.
constexpr int kHeaderRecords = 11;

std::string_view trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) {
        s.remove_prefix(1);
    }
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

// Walks the file line by line, counting lines for the messages.
class Lines {
public:
    Lines(std::string_view bytes, const std::string& name) : bytes_(bytes), name_(name) {}

    bool atEnd() const { return pos_ >= bytes_.size(); }
    std::size_t number() const { return number_; }
    std::size_t position() const { return pos_; }
    void skipBytes(std::size_t n) { pos_ += n; }
    std::size_t remaining() const { return bytes_.size() - pos_; }
    std::string_view bytesAt(std::size_t n) const { return bytes_.substr(pos_, n); }

    std::string_view next() {
        const std::size_t end = std::min(bytes_.find('\n', pos_), bytes_.size());
        std::string_view line = bytes_.substr(pos_, end - pos_);
        pos_ = std::min(end + 1, bytes_.size()); // a last line may have no line break
        ++number_;
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        return line;
    }

    [[noreturn]] void fail(const std::string& why) const { failAt(number_, why); }
    [[noreturn]] void failAt(std::size_t line, const std::string& why) const {
        throw SpectrumFileError(
            {ProblemKind::Damaged, name_, "строка " + std::to_string(line), why});
    }

private:
    std::string_view bytes_;
    const std::string& name_;
    std::size_t pos_ = 0;
    std::size_t number_ = 0;
};

std::vector<std::string_view> tokens(std::string_view line) {
    std::vector<std::string_view> out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) {
            ++i;
        }
        const std::size_t start = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            ++i;
        }
        if (i > start) {
            out.push_back(line.substr(start, i - start));
        }
    }
    return out;
}

// A Fortran real: "1.23450E+00", also with a D exponent.
std::optional<double> real(std::string_view text) {
    std::string t(text);
    std::replace(t.begin(), t.end(), 'D', 'E');
    std::replace(t.begin(), t.end(), 'd', 'e');
    const std::size_t start = t.starts_with('+') ? 1 : 0;
    double v = 0;
    const auto [end, ec] = std::from_chars(t.data() + start, t.data() + t.size(), v);
    if (ec != std::errc{} || end != t.data() + t.size() || !std::isfinite(v)) {
        return std::nullopt;
    }
    return v;
}

std::optional<long long> integer(std::string_view text) {
    long long v = 0;
    const std::size_t start = text.starts_with('+') ? 1 : 0;
    const auto [end, ec] = std::from_chars(text.data() + start, text.data() + text.size(), v);
    if (ec != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return v;
}

// The columns of a fixed-width field, trimmed; empty past the end of the line.
std::string field(std::string_view line, std::size_t from, std::size_t width) {
    if (from >= line.size()) {
        return {};
    }
    return visibleText(trim(line.substr(from, width)));
}

struct Binary {
    bool bigEndian = false;
    std::size_t bytes = 0;
};

double binaryValue(std::string_view b, std::size_t index, std::size_t size, bool bigEndian) {
    unsigned char raw[8];
    std::memcpy(raw, b.data() + index * size, size);
    if (bigEndian != (std::endian::native == std::endian::big)) {
        std::reverse(raw, raw + size);
    }
    if (size == 4) {
        float f;
        std::memcpy(&f, raw, 4);
        return f;
    }
    double d;
    std::memcpy(&d, raw, 8);
    return d;
}

// What records 6 and 7 say of the data that follows.
struct Layout {
    long long dataType = 0; // 2 real single, 4 real double, 5 complex single, 6 complex double
    std::size_t points = 0;
    std::size_t headerEnd = 0; // the line of record 11
};

// Records 1 to 11: the title, the function type, the data's layout and the axes' words.
Layout readHeader(Lines& lines, UffFunction& f) {
    std::string_view record[kHeaderRecords];
    for (int r = 0; r < kHeaderRecords; ++r) {
        if (lines.atEnd()) {
            lines.fail("набор 58 обрывается в заголовке (записи 1–11)");
        }
        record[r] = lines.next();
    }
    Layout layout;
    layout.headerEnd = lines.number();
    f.title = visibleText(trim(record[0]));
    const std::vector<std::string_view> r6 = tokens(record[5]);
    const auto type = r6.empty() ? std::nullopt : integer(r6[0]);
    if (!type) {
        lines.failAt(layout.headerEnd - 5, "нет типа функции (запись 6)");
    }
    f.functionType = static_cast<int>(*type);
    f.abscissaUnits = field(record[7], 47, 20);
    f.ordinateLabel = field(record[8], 26, 20);
    f.ordinateUnits = field(record[8], 47, 20);
    const std::vector<std::string_view> r7 = tokens(record[6]);
    if (r7.size() < 5) {
        lines.failAt(layout.headerEnd - 4, "запись 7 не читается (тип данных, число точек, шаг)");
    }
    const auto dataType = integer(r7[0]), points = integer(r7[1]), spacing = integer(r7[2]);
    const auto minimum = real(r7[3]), increment = real(r7[4]);
    if (!dataType || !points || !spacing || !minimum || !increment) {
        lines.failAt(layout.headerEnd - 4, "запись 7 не читается (тип данных, число точек, шаг)");
    }
    layout.dataType = *dataType;
    f.complex = *dataType >= 5;
    f.even = *spacing == 1;
    f.abscissaMinimum = *minimum;
    f.abscissaIncrement = *increment;
    if (*points < 1 || *points > (std::int64_t(1) << 27)) {
        lines.failAt(layout.headerEnd - 4,
                     "число точек " + std::to_string(*points) + " вне 1 … 2^27");
    }
    layout.points = static_cast<std::size_t>(*points);
    return layout;
}

void checkLayout(const Lines& lines, const Layout& layout, const UffFunction& f) {
    const long long t = layout.dataType;
    if (t != 2 && t != 4 && t != 5 && t != 6) {
        lines.failAt(layout.headerEnd - 4,
                     "тип данных " + std::to_string(t) + " не поддерживается (2, 4, 5 или 6)");
    }
    if (f.even && !(f.abscissaIncrement > 0)) {
        lines.failAt(layout.headerEnd - 4, "шаг по оси абсцисс должен быть больше нуля");
    }
}

std::vector<double> binaryValues(Lines& lines, const Binary& binary, const Layout& layout,
                                 std::size_t count) {
    const std::size_t size = (layout.dataType == 2 || layout.dataType == 5) ? 4 : 8;
    if (binary.bytes != count * size) {
        lines.failAt(layout.headerEnd, "заголовок 58b обещает " + std::to_string(binary.bytes) +
                                           " байт данных, а нужно " + std::to_string(count * size));
    }
    if (lines.remaining() < binary.bytes) {
        lines.failAt(layout.headerEnd,
                     "двоичные данные обрываются: " + std::to_string(lines.remaining()) +
                         " байт из " + std::to_string(binary.bytes));
    }
    const std::string_view b = lines.bytesAt(binary.bytes);
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = binaryValue(b, i, size, binary.bigEndian);
        if (!std::isfinite(values[i])) {
            lines.failAt(layout.headerEnd, "значение " + std::to_string(i + 1) + " не число");
        }
    }
    lines.skipBytes(binary.bytes);
    return values;
}

// One line of ASCII values, appended; `count` is all the dataset holds.
void readValueLine(Lines& lines, std::size_t count, std::vector<double>& values) {
    if (lines.atEnd()) {
        lines.fail("данные обрываются: прочитано " + std::to_string(values.size()) + " чисел из " +
                   std::to_string(count));
    }
    const std::string_view line = lines.next();
    if (trim(line) == "-1") {
        lines.fail("набор закрыт после " + std::to_string(values.size()) + " чисел из " +
                   std::to_string(count));
    }
    for (std::string_view t : tokens(line)) {
        const std::optional<double> v = real(t);
        if (!v) {
            lines.fail("«" + visibleText(t.substr(0, 30)) + "» не число");
        }
        if (values.size() == count) {
            lines.fail("лишние числа после " + std::to_string(count));
        }
        values.push_back(*v);
    }
}

std::vector<double> asciiValues(Lines& lines, const Layout& layout, std::size_t count,
                                const Progress& progress) {
    // Each value takes at least a character and a blank: a count beyond that is a lie.
    if (count > lines.remaining()) {
        lines.failAt(layout.headerEnd - 4, "точек больше, чем помещается в остаток файла");
    }
    std::vector<double> values;
    values.reserve(count);
    while (values.size() < count) {
        readValueLine(lines, count, values);
        if (lines.number() % 65536 == 0) {
            progress.step(static_cast<double>(values.size()) / count);
        }
    }
    return values;
}

UffFunction readDataset(Lines& lines, std::optional<Binary> binary, const Progress& progress,
                        std::size_t firstLine) {
    UffFunction f;
    f.firstLine = firstLine;
    const Layout layout = readHeader(lines, f);
    checkLayout(lines, layout, f);
    const std::size_t n = layout.points;
    const std::size_t perPoint = (f.complex ? 2 : 1) + (f.even ? 0 : 1);
    const std::vector<double> values = binary ? binaryValues(lines, *binary, layout, n * perPoint)
                                              : asciiValues(lines, layout, n * perPoint, progress);
    f.ordinate.resize(n);
    if (!f.even) {
        f.abscissa.resize(n);
    }
    for (std::size_t i = 0; i < n; ++i) {
        const double* p = values.data() + i * perPoint;
        if (!f.even) {
            f.abscissa[i] = *p++;
        }
        f.ordinate[i] = f.complex ? std::hypot(p[0], p[1]) : p[0];
    }
    return f;
}

// "58b 1 2 11 bytes 0 0 0 0": the byte order, IEEE format, 11 ASCII lines, the data's size.
Binary binaryLayout(Lines& lines, const std::vector<std::string_view>& head) {
    const bool five = head.size() >= 5;
    const auto order = five ? integer(head[1]) : std::nullopt;
    const auto format = five ? integer(head[2]) : std::nullopt;
    const auto ascii = five ? integer(head[3]) : std::nullopt;
    const auto size = five ? integer(head[4]) : std::nullopt;
    if (!order || !format || !ascii || !size || (*order != 1 && *order != 2) || *format != 2 ||
        *ascii != kHeaderRecords || *size < 0) {
        lines.fail("заголовок 58b не читается (порядок байт 1 или 2, формат IEEE 2, 11 строк)");
    }
    return Binary{*order == 2, static_cast<std::size_t>(*size)};
}

// The dataset ends with its own "-1"; a binary one may end its data without a line break.
void closeDataset(Lines& lines) {
    while (!lines.atEnd()) {
        const std::string_view end = trim(lines.next());
        if (end == "-1") {
            return;
        }
        if (!end.empty()) {
            lines.fail("ожидалась строка «-1», конец набора 58");
        }
    }
}

} // namespace

bool looksLikeUff(std::string_view bytes) {
    const std::size_t end = std::min(bytes.find('\n'), bytes.size());
    return trim(bytes.substr(0, end)) == "-1";
}

std::vector<UffFunction> readUff58(std::string_view bytes, const std::string& name,
                                   const Progress& progress) {
    Lines lines(bytes, name);
    std::vector<UffFunction> functions;
    while (!lines.atEnd()) {
        const std::string_view line = trim(lines.next());
        if (line.empty()) {
            continue;
        }
        if (line != "-1") {
            lines.fail("ожидалась строка «-1», начало набора данных");
        }
        if (lines.atEnd()) {
            break;
        }
        const std::size_t start = lines.number() + 1;
        const std::vector<std::string_view> head = tokens(lines.next());
        if (head.empty()) {
            lines.fail("нет номера набора данных");
        }
        if (head[0] != "58" && head[0] != "58b") {
            // Another dataset: passed over up to its closing "-1".
            while (!lines.atEnd() && trim(lines.next()) != "-1") {
            }
            continue;
        }
        const std::optional<Binary> binary =
            head[0] == "58b" ? std::optional(binaryLayout(lines, head)) : std::nullopt;
        functions.push_back(readDataset(lines, binary, progress, start));
        progress.step(static_cast<double>(lines.position()) / bytes.size());
        closeDataset(lines);
    }
    if (functions.empty()) {
        throw SpectrumFileError(
            {ProblemKind::Unrecognised, name, "", "в нём нет набора данных 58"});
    }
    return functions;
}

namespace {

std::string datasetPlace(const UffFunction& f) {
    return "набор 58 со строки " + std::to_string(f.firstLine);
}

Units ordinateUnits(const UffFunction& f) {
    Units u = unitsFromText(f.ordinateUnits);
    u.label = f.ordinateLabel;
    return u;
}

Waveform uffRecord(UffFunction& f, int datasets, const std::string& name) {
    if (!f.even) {
        throw SpectrumFileError(
            {ProblemKind::Damaged, name, datasetPlace(f), "запись сигнала с неравномерным шагом"});
    }
    Waveform w;
    w.sampleRate = 1 / f.abscissaIncrement;
    w.channels = datasets;
    w.samples = std::move(f.ordinate);
    w.units = ordinateUnits(f);
    w.units.label.clear(); // "Acceleration" names the record, not its spectrum
    return w;
}

Spectrum uffSpectrum(UffFunction& f, const std::string& name) {
    Spectrum s;
    s.source = name;
    s.amplitude = std::move(f.ordinate);
    s.frequency.resize(s.amplitude.size());
    for (std::size_t i = 0; i < s.frequency.size(); ++i) {
        s.frequency[i] = f.even ? f.abscissaMinimum + static_cast<double>(i) * f.abscissaIncrement
                                : f.abscissa[i];
        if (!(s.frequency[i] >= 0) || (i > 0 && !(s.frequency[i] > s.frequency[i - 1]))) {
            throw SpectrumFileError({ProblemKind::Damaged, name, datasetPlace(f),
                                     "частота точки " + std::to_string(i + 1) + " не возрастает"});
        }
    }
    if (s.frequency.size() < 3) {
        throw SpectrumFileError(
            {ProblemKind::Damaged, name, datasetPlace(f), "в спектре меньше трёх точек"});
    }
    s.resolution = (s.frequency.back() - s.frequency.front()) / (s.frequency.size() - 1);
    s.units = ordinateUnits(f);
    return s;
}

bool looksLikeUffFile(std::string_view head, const std::filesystem::path&) {
    return looksLikeUff(head);
}

// Each dataset is a source, named by its number and title; a time response is a recording,
// anything else a spectrum.
FileContents readUffFile(const std::filesystem::path& path, const SourceChoice& choice,
                         const Progress& progress) {
    const std::string name = displayName(path);
    std::vector<UffFunction> functions = readUff58(readTextFileBytes(path), name, progress);
    FileContents c;
    c.format = uffFormat().key;
    c.sourceKind = SourceKind::Dataset;
    for (std::size_t i = 0; i < functions.size(); ++i) {
        const std::string& title = functions[i].title;
        c.sources.push_back(std::to_string(i + 1) + (title.empty() ? "" : ": " + title));
    }
    const int count = static_cast<int>(functions.size());
    c.source = chosenIndex(choice, count, 0, name, "набора 58 номер");
    UffFunction& f = functions[static_cast<std::size_t>(c.source)];
    c.description = "UFF 58, " + f.title;
    if (f.functionType == 1) {
        c.record = uffRecord(f, count, name);
    } else {
        c.spectrum = uffSpectrum(f, name);
    }
    return c;
}

} // namespace

const FileFormat& uffFormat() {
    static const FileFormat format{
        "uff", "Универсальные файлы 58", {"uff", "unv"}, looksLikeUffFile, readUffFile};
    return format;
}

} // namespace orbistan
