#include "spectrum/io/text_file.h"

#include "spectrum/io/file_format.h"

#include "platform/cp1251.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
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

// The fields of a line, into `fields` (views into the line). Tabs and semicolons separate
// when present, else blanks, else commas. Scanned by hand, a mode at a time: millions of
// lines are split.
void fieldsOf(std::string_view line, std::vector<std::string_view>& fields) {
    fields.clear();
    const char* const begin = line.data();
    const char* const end = begin + line.size();
    const bool hard = std::any_of(begin, end, [](char c) { return c == '\t' || c == ';'; });
    const bool blanks = !hard && std::memchr(begin, ' ', line.size()) != nullptr;
    const char* start = begin;
    for (const char* p = begin;; ++p) {
        const bool atEnd = p == end;
        if (!atEnd && !(hard ? (*p == '\t' || *p == ';') : blanks ? isBlank(*p) : *p == ',')) {
            continue;
        }
        const std::string_view field =
            trim(std::string_view(start, static_cast<std::size_t>(p - start)));
        if (!field.empty() || !blanks) {
            fields.push_back(field);
        }
        if (atEnd) {
            break;
        }
        start = p + 1;
    }
    while (!fields.empty() && fields.back().empty()) {
        fields.pop_back();
    }
}

// A field as a number; a comma in it is a decimal comma (comma-separated lines have none).
std::optional<double> number(std::string_view text) {
    if (text.starts_with('+')) {
        text.remove_prefix(1);
    }
    char pointed[64];
    if (text.find(',') != std::string_view::npos) {
        if (text.size() > sizeof pointed) {
            return std::nullopt;
        }
        std::replace_copy(text.begin(), text.end(), pointed, ',', '.');
        text = std::string_view(pointed, text.size());
    }
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc{} || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

// A line of plain numbers — digits, points, minus signs and exponents, split by tabs alone,
// semicolons alone or runs of blanks — read in one pass into its fields and numbers, as
// fieldsOf and number would read it; false for any other line, which goes their way.
// Records of millions of lines are all such lines.
bool plainRow(std::string_view line, std::vector<std::string_view>& fields,
              std::vector<std::optional<double>>& values) {
    fields.clear();
    values.clear();
    char separator = 0;
    const char* p = line.data();
    const char* const end = p + line.size();
    while (true) {
        double value = 0;
        const auto [stop, ec] = std::from_chars(p, end, value);
        if (ec != std::errc{} || !std::isfinite(value) || stop == p) {
            return false;
        }
        fields.emplace_back(p, static_cast<std::size_t>(stop - p));
        values.emplace_back(value);
        if (stop == end) {
            return true;
        }
        const char c = *stop;
        if ((c != '\t' && c != ';' && c != ' ') || (separator != 0 && c != separator)) {
            return false;
        }
        separator = c;
        p = stop + 1;
        while (c == ' ' && p < end && *p == ' ') {
            ++p; // a run of blanks is one separator
        }
        if (p == end) {
            return false; // nextLine trims blanks: a separator last is a tab or a semicolon
        }
    }
}

// A header's field as an axis caption, when it is one short line of printable text.
std::string captionOf(std::string_view field) {
    if (field.size() > 60 || std::any_of(field.begin(), field.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20;
        })) {
        return {};
    }
    return visibleText(field);
}

// A field as a message quotes it: readable, and never a screenful.
std::string quoted(std::string_view field) {
    return visibleText(field.size() > 40 ? std::string(field.substr(0, 40)) + "…" : field);
}

} // namespace

namespace {

[[noreturn]] void failAt(const std::string& name, std::size_t lineNumber, const std::string& why) {
    throw SpectrumFileError(
        {ProblemKind::Damaged, name, "строка " + std::to_string(lineNumber), why});
}

[[noreturn]] void fail(const std::string& name, const std::string& why) {
    throw SpectrumFileError({ProblemKind::Damaged, name, "", why});
}

// The line from `pos` on, trimmed; `pos` moves past its line break (CR, LF or CR LF).
// `feed` keeps where the next LF is (it starts at 0), so that a file of CR lines alone is
// not searched to its end for each.
std::string_view nextLine(std::string_view bytes, std::size_t& pos, std::size_t& feed) {
    if (feed < pos || feed == 0) {
        const void* at = std::memchr(bytes.data() + pos, '\n', bytes.size() - pos);
        feed = at ? static_cast<std::size_t>(static_cast<const char*>(at) - bytes.data())
                  : bytes.size();
    }
    std::size_t end = feed;
    if (const void* cr = std::memchr(bytes.data() + pos, '\r', end - pos)) {
        end = static_cast<std::size_t>(static_cast<const char*>(cr) - bytes.data());
    }
    const std::string_view line = trim(bytes.substr(pos, end - pos));
    pos = end + (end + 1 < bytes.size() && bytes[end] == '\r' && bytes[end + 1] == '\n' ? 2 : 1);
    return line;
}

// A line of numbers: its first field a number, and its second too where it has one. Before
// the first such line, any other is a header; after it, any other is a fault.
bool isRow(const std::vector<std::optional<double>>& values) {
    return !values.empty() && values[0] && (values.size() < 2 || values[1]);
}

// Where a line failed, kept until the layout says whether it matters.
struct Flaw {
    std::size_t line = 0; // 0: none
    std::string why;
    void note(std::size_t at, std::string text) {
        if (line == 0) {
            line = at, why = std::move(text);
        }
    }
};

// What a file's numbers are, gathered in one pass: the columns any layout may need, and
// where each layout would fail.
struct Table {
    std::vector<std::string> captions; // the last header line's fields
    std::size_t width = 0;             // fields of the first line of numbers
    std::size_t rows = 0;
    std::map<std::size_t, std::vector<double>> kept; // the columns kept, by index
    std::size_t rising = 0;                          // steps where the first column rises
    double previous = 0;                             // the first column's last number
    double secondLow = std::numeric_limits<double>::infinity();
    double secondHigh = -std::numeric_limits<double>::infinity();
    Flaw uneven;     // a line of another width than the first
    Flaw notANumber; // a field beyond the second that is no number
    Flaw single;     // a line of one number where the first had two or more

    void take(const std::vector<std::string_view>& fields,
              const std::vector<std::optional<double>>& values, std::size_t lineNumber) {
        if (rows == 0) {
            width = fields.size();
        }
        if (fields.size() != width) {
            uneven.note(lineNumber, std::to_string(fields.size()) +
                                        " чисел, а в первой строке с "
                                        "числами " +
                                        std::to_string(width));
        }
        if (fields.size() < 2 && width >= 2) {
            single.note(lineNumber, "ожидались два числа: частота и амплитуда");
        }
        for (auto& [column, kept] : this->kept) {
            if (column < width) { // a line of another width fails a record, and a spectrum
                                  // needs only the first two
                kept.push_back(column < values.size() ? values[column].value_or(0) : 0);
            }
        }
        for (std::size_t i = 2; i < values.size(); ++i) {
            if (!values[i]) {
                notANumber.note(lineNumber, "«" + quoted(fields[i]) + "» не число");
                break;
            }
        }
        const double first = values[0].value_or(0);
        if (rows > 0 && first > previous) {
            ++rising;
        }
        previous = first;
        if (fields.size() >= 2 && width >= 2) {
            secondLow = std::min(secondLow, *values[1]);
            secondHigh = std::max(secondHigh, *values[1]);
        }
        ++rows;
    }
};

// A line's fields and their numbers (none where a field is no number).
void splitLine(std::string_view line, std::vector<std::string_view>& fields,
               std::vector<std::optional<double>>& values) {
    if (!plainRow(line, fields, values)) {
        fieldsOf(line, fields);
        values.resize(fields.size());
        std::transform(fields.begin(), fields.end(), values.begin(), number);
    }
}

Table tableOf(std::string_view bytes, const std::string& name, std::size_t channelColumn,
              const Progress& progress) {
    if (const std::size_t at = bytes.find('\0'); at != std::string_view::npos) {
        failAt(name, 1 + std::count(bytes.begin(), bytes.begin() + at, '\n'),
               "это не текст (двоичные данные)");
    }
    Table t;
    for (const std::size_t column :
         {std::size_t(0), std::size_t(1), channelColumn, channelColumn + 1}) {
        t.kept[column];
    }
    std::size_t lineNumber = 0;
    std::size_t pos = 0, feed = 0;
    std::vector<std::string_view> fields; // the line's, kept from line to line
    std::vector<std::optional<double>> values;
    while (pos < bytes.size()) {
        const std::string_view line = nextLine(bytes, pos, feed);
        if (t.rows > static_cast<std::size_t>(kMaxWaveformFrames)) {
            throw SpectrumFileError(
                {ProblemKind::TooLarge, name, "",
                 "в нём больше " + std::to_string(kMaxWaveformFrames) + " строк с числами"});
        }
        if (++lineNumber % 65536 == 0) {
            progress.step(static_cast<double>(pos) / bytes.size());
        }
        if (line.empty() || isComment(line)) {
            continue;
        }
        splitLine(line, fields, values);
        if (fields.empty()) {
            continue; // separators alone: a blank line
        }
        if (isRow(values)) {
            t.take(fields, values, lineNumber);
        } else if (t.rows == 0) {
            t.captions.assign(fields.begin(), fields.end());
        } else {
            failAt(name, lineNumber, "«" + quoted(fields[values[0] ? 1 : 0]) + "» не число");
        }
    }
    return t;
}

// The line number of the row'th line of numbers (from 0), for a message about it.
std::size_t lineOfRow(std::string_view bytes, std::size_t row) {
    std::size_t lineNumber = 0, pos = 0, rows = 0, feed = 0;
    std::vector<std::string_view> fields;
    std::vector<std::optional<double>> values;
    while (pos < bytes.size()) {
        const std::string_view line = nextLine(bytes, pos, feed);
        ++lineNumber;
        if (line.empty() || isComment(line)) {
            continue;
        }
        fieldsOf(line, fields);
        values.resize(fields.size());
        std::transform(fields.begin(), fields.end(), values.begin(), number);
        if (isRow(values) && rows++ == row) {
            return lineNumber;
        }
    }
    return lineNumber;
}

// Whether a caption names one of these words, whatever their case in ASCII; Cyrillic words
// are given in each case they are written in.
bool names(const std::string& caption, std::initializer_list<std::string_view> words) {
    std::string lower = caption;
    std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
        return static_cast<char>(c < 0x80 ? std::tolower(c) : c);
    });
    return std::any_of(words.begin(), words.end(),
                       [&](std::string_view w) { return lower.find(w) != std::string::npos; });
}

bool namesFrequency(const std::string& caption) {
    return caption == "f" || caption == "F" ||
           names(caption, {"hz", "freq", "гц", "Гц", "ГЦ", "частот", "Частот", "ЧАСТОТ"});
}

bool namesTime(const std::string& caption) {
    return caption == "t" || caption == "T" || caption == "s" || caption == "с" ||
           names(caption, {"time", "sec", "(s)", "[s]", "время", "Время", "ВРЕМЯ", "сек", "Сек",
                           "(с)", "[с]"});
}

// The rule, in the order it is applied:
//   1. the layout the user chose;
//   2. the caption of the first column: a frequency (Гц, Hz, freq, частота) makes a
//      spectrum, a time (время, time, sec, s) a record with its time first;
//   3. one column of numbers is a record;
//   4. a first column that rises from line to line (on 99 lines in 100 or more) is the
//      frequencies of a spectrum; said to the user where the amplitudes change sign, as a
//      record's samples would;
//   5. anything else is a record, each column a channel.
TextLayout tellLayout(const Table& t, TextLayout asked, std::string& readAs) {
    if (asked != TextLayout::Auto) {
        return asked;
    }
    const std::string first = t.captions.empty() ? std::string() : t.captions[0];
    if (namesFrequency(first)) {
        return TextLayout::Spectrum;
    }
    if (namesTime(first)) {
        return TextLayout::Timed;
    }
    if (t.width < 2) {
        return TextLayout::Channels;
    }
    const std::size_t steps = t.rows > 0 ? t.rows - 1 : 0;
    if (steps > 0 && (steps - t.rising) * 100 <= steps) {
        if (t.secondLow < 0 && t.secondHigh > 0) {
            readAs = "первый столбец возрастает, а подписи «частота» или «время» над ним нет: "
                     "прочитан как спектр (частота, амплитуда)";
        }
        return TextLayout::Spectrum;
    }
    return TextLayout::Channels;
}

Spectrum spectrumOf(Table& t, std::string_view bytes, const std::string& name) {
    if (t.rows > 0 && t.width < 2) {
        t.single.note(lineOfRow(bytes, 0), "ожидались два числа: частота и амплитуда");
    }
    if (t.single.line != 0) {
        failAt(name, t.single.line, t.single.why);
    }
    Spectrum s;
    s.source = name;
    s.frequency = std::move(t.kept[0]);
    s.amplitude = std::move(t.kept[1]);
    for (std::size_t i = 0; i < s.frequency.size(); ++i) {
        if (s.frequency[i] < 0) {
            failAt(name, lineOfRow(bytes, i), "отрицательная частота");
        }
        if (i > 0 && s.frequency[i] <= s.frequency[i - 1]) {
            failAt(name, lineOfRow(bytes, i), "частоты должны возрастать");
        }
    }
    if (s.frequency.size() < 3) {
        fail(name, "в нём меньше трёх строк с частотой и амплитудой");
    }
    s.units = unitsFromCaption(t.captions.size() >= 2 ? captionOf(t.captions[1]) : "");
    s.resolution = (s.frequency.back() - s.frequency.front()) / (s.frequency.size() - 1);
    return s;
}

// The rate a time column shows: its lines equally spaced within half a step.
double rateOfTimes(const std::vector<double>& time, std::string_view bytes,
                   const std::string& name) {
    for (std::size_t i = 1; i < time.size(); ++i) {
        if (!(time[i] > time[i - 1])) {
            failAt(name, lineOfRow(bytes, i), "время в первом столбце должно возрастать");
        }
    }
    const double step = (time.back() - time.front()) / static_cast<double>(time.size() - 1);
    for (std::size_t i = 1; i < time.size(); ++i) {
        if (std::abs(time[i] - time.front() - step * static_cast<double>(i)) > 0.5 * step) {
            failAt(name, lineOfRow(bytes, i),
                   "время идёт не через равные промежутки: частоту дискретизации по нему не "
                   "определить");
        }
    }
    const double rate = 1 / step;
    requireSampleRate(rate, name);
    return rate;
}

TextContents recordOf(Table& t, TextLayout layout, std::optional<int> channel,
                      std::string_view bytes, const std::string& name) {
    const std::size_t first = layout == TextLayout::Timed ? 1 : 0;
    for (const Flaw* flaw : {&t.uneven, &t.notANumber}) {
        if (flaw->line != 0) {
            failAt(name, flaw->line, flaw->why);
        }
    }
    if (t.width <= first) {
        fail(name, "в нём нет столбцов с отсчётами после столбца времени");
    }
    if (t.rows < 3) {
        fail(name, "в нём меньше трёх строк с отсчётами");
    }
    TextContents c;
    c.layout = layout;
    const bool captioned = t.captions.size() == t.width;
    for (std::size_t column = first; column < t.width; ++column) {
        const std::string caption = captioned ? captionOf(t.captions[column]) : std::string();
        c.columns.push_back(!caption.empty() ? caption : "Столбец " + std::to_string(column + 1));
    }
    c.channel = chosenIndex(SourceChoice(channel.value_or(0)), static_cast<int>(c.columns.size()),
                            0, name, "канала");
    const std::size_t column = first + static_cast<std::size_t>(c.channel);
    Waveform w;
    w.samples = std::move(t.kept[column]);
    w.channels = static_cast<int>(c.columns.size());
    w.units = unitsFromCaption(captioned ? captionOf(t.captions[column]) : "");
    w.rateStated = layout == TextLayout::Timed;
    w.sampleRate = w.rateStated ? rateOfTimes(t.kept[0], bytes, name) : kDefaultTextSampleRate;
    c.record = std::move(w);
    return c;
}

} // namespace

TextContents readTextFile(std::string_view bytes, const std::string& name, TextLayout layout,
                          std::optional<int> channel, const Progress& progress) {
    if (channel && *channel < 0) {
        channel.reset();
    }
    const std::size_t channelColumn = static_cast<std::size_t>(channel.value_or(0));
    Table t = tableOf(bytes, name, channelColumn, progress);
    if (layout == TextLayout::Auto && t.rows < 3) {
        fail(name, "в нём меньше трёх строк с числами");
    }
    std::string readAs;
    const TextLayout read = tellLayout(t, layout, readAs);
    if (read == TextLayout::Spectrum) {
        TextContents c;
        c.spectrum = spectrumOf(t, bytes, name);
        c.readAs = std::move(readAs);
        return c;
    }
    return recordOf(t, read, channel, bytes, name);
}

Spectrum readTextSpectrum(std::string_view bytes, const std::string& name,
                          const Progress& progress) {
    return *readTextFile(bytes, name, TextLayout::Spectrum, std::nullopt, progress).spectrum;
}

namespace {

bool anyFile(std::string_view, const std::filesystem::path&) {
    return true; // the last resort: its reader says which line is neither spectrum nor record
}

FileContents readText(const std::filesystem::path& path, const SourceChoice& choice,
                      const Progress& progress) {
    FileContents c;
    c.format = textFileFormat().key;
    TextContents t = readTextFile(readTextFileBytes(path), displayName(path), choice.textLayout,
                                  choice.index, progress);
    c.readAs = std::move(t.readAs);
    if (t.spectrum) {
        c.description = "текст, спектр";
        c.spectrum = std::move(t.spectrum);
        c.spectrum->source = displayName(path);
        return c;
    }
    c.description = t.layout == TextLayout::Timed ? "текст, запись со временем" : "текст, запись";
    c.record = std::move(t.record);
    c.sourceKind = SourceKind::Channel;
    c.sources = std::move(t.columns);
    c.source = t.channel;
    return c;
}

} // namespace

const FileFormat& textFileFormat() {
    static const FileFormat format{
        "text", "Текстовые файлы", {"csv", "txt", "tsv", "dat", "asc"}, anyFile, readText};
    return format;
}

} // namespace orbistan
