#include "spectrum/workbench/workbench_settings.h"

#include "platform/atomic_file.h"

#include <algorithm>
#include <charconv>
#include <optional>

namespace orbistan {

namespace {

std::optional<int> wholeIn(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || value < low || value > high) {
        return std::nullopt;
    }
    return value;
}

// A finite number in [low, high], written with a decimal point.
std::optional<double> numberIn(std::string_view text, double low, double high) {
    double value = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (ec != std::errc{} || end != text.data() + text.size() || !(value >= low && value <= high)) {
        return std::nullopt;
    }
    return value;
}

std::string numberText(double v) {
    char buf[32];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
    return ec == std::errc{} ? std::string(buf, end) : "0";
}

std::string pairText(const std::array<double, 2>& p) {
    return numberText(p[0]) + ":" + numberText(p[1]);
}

std::string formatSession(const WorkbenchSession& s) {
    std::string text = std::string("envelope=") + (s.envelope ? "1" : "0") + "\n";
    if (s.place) {
        const auto& [x, y, w, h] = *s.place;
        text += "place=" + std::to_string(x) + "," + std::to_string(y) + "," + std::to_string(w) +
                "," + std::to_string(h) + "\n";
    }
    if (s.view) {
        text += "view=" + pairText(*s.view) + "\n";
    }
    if (s.band) {
        text += "band=" + pairText(*s.band) + "\n";
    }
    return text;
}

// A name as one field of a line: tabs and line ends made blanks, the ends trimmed.
std::string fieldText(std::string text) {
    std::replace_if(
        text.begin(), text.end(), [](char c) { return c == '\t' || c == '\n' || c == '\r'; }, ' ');
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

} // namespace

bool rememberPlace(WorkbenchSettings& s, const std::string& bearingNumber, MeasurementPlace place) {
    const std::string number = fieldText(bearingNumber);
    if (number.empty()) {
        return false;
    }
    place = {fieldText(place.machine), fieldText(place.point)};
    const auto it = s.places.find(number);
    if (place.machine.empty() && place.point.empty()) {
        if (it == s.places.end()) {
            return false;
        }
        s.places.erase(it);
        return true;
    }
    if (it != s.places.end() && it->second == place) {
        return false;
    }
    s.places[number] = place;
    return true;
}

MeasurementPlace placeFor(const WorkbenchSettings& s, const std::string& bearingNumber) {
    const auto it = s.places.find(fieldText(bearingNumber));
    return it == s.places.end() ? MeasurementPlace{} : it->second;
}

std::string formatWorkbenchSettings(const WorkbenchSettings& s) {
    std::string families;
    for (bool on : s.families) {
        families += on ? '1' : '0';
    }
    std::string text = "folder=" + s.folder + "\nfamilies=" + families +
                       "\nharmonics=" + std::to_string(s.harmonics) +
                       "\nsidebands=" + std::to_string(s.sidebands) +
                       "\nwindow=" + std::string(termOf(kWindowTerms, s.transform.window).key) +
                       "\nlines=" + std::to_string(s.transform.lines) +
                       "\nscaling=" + std::string(termOf(kScalingTerms, s.transform.scaling).key) +
                       "\npeaks=" + std::to_string(s.peaks) + "\n";
    for (const auto& [format, unit] : s.statedUnits) {
        text += "unit." + format + "=" + std::string(termOf(kStatedUnitTerms, unit).key) + "\n";
    }
    for (const auto& [format, rate] : s.statedRates) {
        text += "rate." + format + "=" + numberText(rate) + "\n";
    }
    for (const auto& [key, rates] :
         {std::pair{"file_rate=", &s.fileRates}, std::pair{"folder_rate=", &s.folderRates}}) {
        for (const auto& [path, rate] : *rates) {
            if (path.find_first_of("\r\n") == std::string::npos) {
                text += key + numberText(rate) + " " + path + "\n";
            }
        }
    }
    for (const auto& [number, place] : s.places) {
        text += "measured_at=" + number + "\t" + place.machine + "\t" + place.point + "\n";
    }
    text += "whiten=" + std::string(s.whiten ? "1" : "0") +
            "\nenvelope_method=" + std::string(termOf(kEnvelopeMethodTerms, s.method).key) +
            "\nslip=" + numberText(s.slipPercent) +
            "\nspeed_range=" + numberText(s.speed.rangePercent) +
            "\nspeed_exact=" + (s.speed.exact ? "1" : "0") +
            "\naxis=" + std::string(termOf(kAxisTerms, s.amplitudeScale).key) +
            "\nvelocity_from=" + numberText(s.velocityLowCut) +
            "\nspan=" + numberText(s.transform.span) +
            "\naveraging=" + std::string(termOf(kAveragingTerms, s.transform.averaging).key) +
            "\naverages=" + std::to_string(s.transform.averages) + "\nenvelope_lines=" +
            (s.envelopeLines ? std::to_string(*s.envelopeLines) : std::string("auto")) +
            "\nenvelope_span=" + numberText(s.envelopeSpan) +
            "\nvelocity=" + (s.velocity ? "1" : "0") +
            "\npeak_labels=" + std::to_string(s.peakLabels) +
            "\npanels=" + std::string(termOf(kPanelTerms, s.panels).key) + "\n" +
            formatSession(s.session);
    return text;
}

namespace {

void readFolder(std::string_view value, WorkbenchSettings& s) {
    // A folder with a control character in its name came from no dialog.
    if (std::none_of(value.begin(), value.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x20; })) {
        s.folder = value;
    }
}

void readFamilies(std::string_view value, WorkbenchSettings& s) {
    if (value.size() == kMarkerFamilyCount &&
        value.find_first_not_of("01") == std::string_view::npos) {
        for (int i = 0; i < kMarkerFamilyCount; ++i) {
            s.families[i] = value[i] == '1';
        }
    }
}

// A number of lines the window offers: one of kLineChoices, or 0 for the whole record.
std::optional<int> linesIn(std::string_view value) {
    const auto lines = wholeIn(value, 0, kLineChoices.back());
    if (lines && (*lines == 0 || std::find(kLineChoices.begin(), kLineChoices.end(), *lines) !=
                                     kLineChoices.end())) {
        return lines;
    }
    return std::nullopt;
}

// "auto" for the lines chosen for the record's rate.
void readEnvelopeLines(std::string_view value, WorkbenchSettings& s) {
    if (value == "auto") {
        s.envelopeLines.reset();
    } else if (const auto lines = linesIn(value)) {
        s.envelopeLines = *lines;
    }
}

bool formatKey(std::string_view format) {
    return !format.empty() &&
           format.find_first_not_of("abcdefghijklmnopqrstuvwxyz") == std::string_view::npos;
}

// "unit.audio=g": format keys are lower-case letters.
void readStatedUnit(std::string_view key, std::string_view value, WorkbenchSettings& s) {
    const std::string_view format = key.substr(5);
    const auto unit = valueOfKey(kStatedUnitTerms, value);
    if (formatKey(format) && unit && *unit != Unit::Unknown) {
        s.statedUnits[std::string(format)] = *unit;
    }
}

// "rate.matlab=48000".
void readStatedRate(std::string_view key, std::string_view value, WorkbenchSettings& s) {
    const std::string_view format = key.substr(5);
    const auto rate = numberIn(value, kMinSampleRate, kMaxSampleRate);
    if (formatKey(format) && rate) {
        s.statedRates[std::string(format)] = *rate;
    }
}

void readAveraging(std::string_view key, std::string_view value, WorkbenchSettings& s) {
    if (key == "averaging") {
        s.transform.averaging = valueOfKey(kAveragingTerms, value).value_or(s.transform.averaging);
    } else {
        s.transform.averages = wholeIn(value, 0, kMaxAverages).value_or(s.transform.averages);
    }
}

// "measured_at=6205\tНасос 3\tП1": the bearing's number, its machine, its point.
void readMeasuredAt(std::string_view value, WorkbenchSettings& s) {
    const std::size_t first = value.find('\t');
    const std::size_t second =
        first == std::string_view::npos ? first : value.find('\t', first + 1);
    if (second == std::string_view::npos ||
        value.find('\t', second + 1) != std::string_view::npos) {
        return;
    }
    rememberPlace(s, std::string(value.substr(0, first)),
                  {std::string(value.substr(first + 1, second - first - 1)),
                   std::string(value.substr(second + 1))});
}

// "file_rate=48000 /data/a.mat": the rate, a blank, the path (of a file, or a folder).
void readPathRate(std::string_view value, std::map<std::string, double>& rates) {
    const std::size_t blank = value.find(' ');
    // A path no line of the file can hold is not one to remember.
    if (blank == std::string_view::npos || blank + 1 == value.size() ||
        value.find_first_of("\r\n") != std::string_view::npos) {
        return;
    }
    if (const auto rate = numberIn(value.substr(0, blank), kMinSampleRate, kMaxSampleRate)) {
        rates[std::string(value.substr(blank + 1))] = *rate;
    }
}

// "LOW:HIGH", finite, LOW below HIGH, neither below 0.
std::optional<std::array<double, 2>> readPair(std::string_view value) {
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    const auto low = numberIn(value.substr(0, colon), 0, kMaxSampleRate);
    const auto high = numberIn(value.substr(colon + 1), 0, kMaxSampleRate);
    if (!low || !high || !(*low < *high)) {
        return std::nullopt;
    }
    return std::array{*low, *high};
}

// "X,Y,W,H": a size no screen has, or no size at all, is no place.
void readPlace(std::string_view value, WorkbenchSession& s) {
    std::array<int, 4> place{};
    for (std::size_t i = 0; i < place.size(); ++i) {
        const std::size_t comma = i + 1 < place.size() ? value.find(',') : value.size();
        if (comma == std::string_view::npos) {
            return;
        }
        const auto v = wholeIn(value.substr(0, comma), i < 2 ? -100000 : 100, 100000);
        if (!v) {
            return;
        }
        place[i] = *v;
        value.remove_prefix(std::min(comma + 1, value.size()));
    }
    s.place = place;
}

bool readSession(std::string_view key, std::string_view value, WorkbenchSession& s) {
    if (key == "envelope" && (value == "0" || value == "1")) {
        s.envelope = value == "1";
    } else if (key == "place") {
        readPlace(value, s);
    } else if (key == "view") {
        s.view = readPair(value);
    } else if (key == "band") {
        s.band = readPair(value);
    } else {
        return false;
    }
    return true;
}

// How the plot shows what it shows.
bool readDisplay(std::string_view key, std::string_view value, WorkbenchSettings& s) {
    if (key == "peak_labels") {
        s.peakLabels = wholeIn(value, 0, kMaxPeakLabels).value_or(s.peakLabels);
    } else if (key == "panels") {
        s.panels = valueOfKey(kPanelTerms, value).value_or(s.panels);
    } else if (key == "velocity") {
        if (value == "0" || value == "1") {
            s.velocity = value == "1";
        }
    } else if (key == "axis") {
        s.amplitudeScale = valueOfKey(kAxisTerms, value).value_or(s.amplitudeScale);
    } else {
        return false;
    }
    return true;
}

void readEnvelopeChoice(std::string_view key, std::string_view value, WorkbenchSettings& s) {
    if (key == "whiten" && (value == "0" || value == "1")) {
        s.whiten = value == "1";
    } else if (key == "envelope_method") {
        s.method = valueOfKey(kEnvelopeMethodTerms, value).value_or(s.method);
    }
}

// The transform's settings, the record's and the envelope's; false for another key.
bool readTransform(std::string_view key, std::string_view value, WorkbenchSettings& s) {
    if (key == "window") {
        s.transform.window = valueOfKey(kWindowTerms, value).value_or(s.transform.window);
    } else if (key == "lines") {
        s.transform.lines = linesIn(value).value_or(s.transform.lines);
    } else if (key == "envelope_lines") {
        readEnvelopeLines(value, s);
    } else if (key == "scaling") {
        s.transform.scaling = valueOfKey(kScalingTerms, value).value_or(s.transform.scaling);
    } else if (key == "span") {
        s.transform.span = numberIn(value, 0, kMaxSampleRate).value_or(s.transform.span);
    } else if (key == "averaging" || key == "averages") {
        readAveraging(key, value, s);
    } else if (key == "envelope_span") {
        s.envelopeSpan = numberIn(value, 0, kMaxSampleRate).value_or(s.envelopeSpan);
    } else {
        return false;
    }
    return true;
}

void readSetting(std::string_view key, std::string_view value, WorkbenchSettings& s) {
    if (readSession(key, value, s.session) || readDisplay(key, value, s) ||
        readTransform(key, value, s)) {
        return;
    }
    if (key == "folder") {
        readFolder(value, s);
    } else if (key == "families") {
        readFamilies(value, s);
    } else if (key == "harmonics") {
        s.harmonics = wholeIn(value, 1, kMaxMarkerHarmonics).value_or(s.harmonics);
    } else if (key == "sidebands") {
        s.sidebands = wholeIn(value, 0, kMaxSidebands).value_or(s.sidebands);
    } else if (key == "peaks") {
        s.peaks = wholeIn(value, 1, kMaxPeakRows).value_or(s.peaks);
    } else if (key.starts_with("unit.")) {
        readStatedUnit(key, value, s);
    } else if (key.starts_with("rate.")) {
        readStatedRate(key, value, s);
    } else if (key == "file_rate") {
        readPathRate(value, s.fileRates);
    } else if (key == "folder_rate") {
        readPathRate(value, s.folderRates);
    } else if (key == "whiten" || key == "envelope_method") {
        readEnvelopeChoice(key, value, s);
    } else if (key == "slip") {
        s.slipPercent = numberIn(value, 0, kMaxSlipPercent).value_or(s.slipPercent);
    } else if (key == "speed_range") {
        s.speed.rangePercent =
            numberIn(value, 0, kMaxSpeedRangePercent).value_or(s.speed.rangePercent);
    } else if (key == "speed_exact") {
        s.speed.exact = value == "1";
    } else if (key == "velocity_from") {
        s.velocityLowCut = numberIn(value, 0, kMaxVelocityLowCut).value_or(s.velocityLowCut);
    } else if (key == "measured_at") {
        readMeasuredAt(value, s);
    }
}

} // namespace

WorkbenchSettings parseWorkbenchSettings(std::string_view text) {
    WorkbenchSettings s;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        std::string_view line = text.substr(0, end);
        text.remove_prefix(std::min(end + 1, text.size()));
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        const std::size_t eq = line.find('=');
        if (eq != std::string_view::npos) {
            readSetting(line.substr(0, eq), line.substr(eq + 1), s);
        }
    }
    return s;
}

WorkbenchSettings loadWorkbenchSettings(const std::filesystem::path& programDir) {
    const FileBytes file = readDataFile(programDir / kWorkbenchSettingsFileName);
    return file.error == 0 ? parseWorkbenchSettings(file.bytes) : WorkbenchSettings{};
}

int saveWorkbenchSettings(const std::filesystem::path& programDir, const WorkbenchSettings& s) {
    return writeFileAtomically(programDir / kWorkbenchSettingsFileName, formatWorkbenchSettings(s));
}

} // namespace orbistan
