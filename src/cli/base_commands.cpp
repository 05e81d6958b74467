// The bearing base from the command line: show, save, list and delete record files under the
// current directory, with the same file names and bytes as the window.
#include "base/bearing_key.h"
#include "calc/messages.h"
#include "calc/numbers.h"
#include "calc/validate.h"
#include "cli/common.h"
#include "datafiles/bearing_record.h"
#include "platform/atomic_file.h"
#include "platform/cp1251.h"
#include "platform/paths.h"
#include "platform/runtime_error.h"

#include <charconv>
#include <filesystem>
#include <map>
#include <optional>

namespace orbistan {

namespace {

constexpr const char* kNotEncodable = "Текст содержит знаки, которых нет в кодировке 1251";
constexpr const char* kControlInNumber = "Номер подшипника содержит управляющие символы";

// Text from a record or a file name, for a terminal: control characters other than the
// line break shown as \xHH.
std::string forTerminal(std::string_view utf8) {
    return visibleText(utf8, true);
}

BearingKey keyOf(std::string_view number) {
    const std::optional<BearingKey> key = BearingFileKey(number);
    if (!key) {
        throw UsageError{kControlInNumber};
    }
    return *key;
}

struct BaseArgs {
    std::string number; // code page 1251
    int standard = 1;
    std::map<std::string, std::string> options;
};

BaseArgs parseBase(const std::vector<std::string>& args, bool wantsNumber,
                   const std::vector<std::string>& withValue) {
    BaseArgs a;
    std::size_t i = 2;
    if (wantsNumber) {
        if (args.size() < 3 || args[2].rfind("--", 0) == 0) {
            throw UsageError{"missing bearing number"};
        }
        const auto number = utf8ToCp1251(args[2]);
        if (!number) {
            throw UsageError{kNotEncodable};
        }
        a.number = *number;
        i = 3;
    }
    for (; i < args.size(); ++i) {
        if (args[i] == "--other") {
            a.standard = 0;
        } else if (contains(withValue, args[i]) && i + 1 < args.size()) {
            a.options[args[i]] = args[i + 1];
            ++i;
        } else {
            throw UsageError{contains(withValue, args[i]) ? "missing value for " + args[i]
                                                          : "unknown option " + args[i]};
        }
    }
    return a;
}

std::filesystem::path recordPath(const BaseArgs& a) {
    return BearingRecordPath(findDataFolders(currentProgramDir()), a.standard, keyOf(a.number));
}

int show(const BaseArgs& a, std::ostream& out, std::ostream& err) {
    const RecordRead read = ReadBearingRecord(recordPath(a));
    if (read.outcome == RecordRead::Absent) {
        err << text::kNotInBase << '\n';
        return ExitFile;
    }
    if (read.outcome == RecordRead::Unreadable) {
        err << runtimeErrorText(read.error) << '\n';
        return ExitFile;
    }
    const BearingRecord& r = read.record;
    out << "d=" << formatGeneral(r.d) << "\nD=" << formatGeneral(r.D)
        << "\na=" << formatGeneral(r.a) << "\ndw=" << formatGeneral(r.dw)
        << "\nZ=" << formatGeneral(r.Z) << "\nkind=" << r.kind << "\nrows=" << r.rows
        << "\nload=" << r.load << "\nshape=" << r.shape
        << "\ninfo=" << forTerminal(cp1251ToUtf8(r.info)) << '\n';
    return ExitDone;
}

int code(const BaseArgs& a, const std::string& option) {
    const auto it = a.options.find(option);
    if (it == a.options.end()) {
        return 0;
    }
    int value = 0;
    const std::string& t = it->second;
    const auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) {
        throw UsageError{option + " takes a whole number"};
    }
    return value;
}

// The record's values as the window validates them; Fr is not part of a record.
Validation validateRecordValues(const BaseArgs& a) {
    for (const char* required : {"--Z", "--dw", "--D", "--d", "--a"}) {
        if (!a.options.count(required)) {
            throw UsageError{std::string("missing option ") + required};
        }
    }
    InputTexts texts;
    texts.fields = {
        utf8ToCp1251Lossy(a.options.at("--Z")),  "1",
        utf8ToCp1251Lossy(a.options.at("--dw")), utf8ToCp1251Lossy(a.options.at("--D")),
        utf8ToCp1251Lossy(a.options.at("--d")),  utf8ToCp1251Lossy(a.options.at("--a"))};
    texts.multipliers.fill("1");
    return readAndValidate(texts);
}

int save(const BaseArgs& a, std::ostream& err) {
    const Validation v = validateRecordValues(a);
    if (v.outcome == Validation::Unreadable) {
        err << text::kEnterDataCorrectly << '\n';
        return ExitUnreadable;
    }
    if (v.outcome == Validation::OutOfRange) {
        writeRangeWarnings(v.warnings, err);
        return ExitRange;
    }
    const std::optional<std::string> info =
        utf8ToCp1251(a.options.count("--info") ? a.options.at("--info") : "");
    if (!info || info->find_first_of("\r\n") != std::string::npos) {
        err << kNotEncodable << '\n';
        return ExitFile;
    }
    const BearingRecord record{
        v.inputs.d,        v.inputs.D,        v.inputs.a,        v.inputs.dw,        v.inputs.Z,
        code(a, "--kind"), code(a, "--rows"), code(a, "--load"), code(a, "--shape"), *info};
    createDataFolders(currentProgramDir()); // as the window's start-up does
    const std::filesystem::path path = recordPath(a);
    if (const int error = WriteBearingRecord(path, record)) {
        err << text::kDataNotSaved << '\n'
            << recordSaveFailureText(path, a.standard, error) << '\n';
        return ExitFile;
    }
    return ExitDone;
}

int list(const BaseArgs& a, std::ostream& out) {
    const DataFolders folders = findDataFolders(currentProgramDir());
    std::vector<std::string> numbers;
    std::error_code ec;
    for (std::filesystem::directory_iterator
             it(a.standard == 1 ? folders.russian : folders.other, ec),
         end;
         !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (it->is_regular_file(ec) && name.size() > 4 &&
            name.compare(name.size() - 4, 4, ".Dat") == 0) {
            numbers.push_back(name.substr(0, name.size() - 4));
        }
    }
    std::sort(numbers.begin(), numbers.end());
    for (const std::string& n : numbers) {
        out << forTerminal(n) << '\n';
    }
    return ExitDone;
}

} // namespace

int keyCommand(const std::vector<std::string>& args, std::ostream& out) {
    if (args.size() != 2) {
        throw UsageError{"key takes one text"};
    }
    const auto text = utf8ToCp1251(args[1]);
    if (!text) {
        throw UsageError{kNotEncodable};
    }
    const BearingKey k = keyOf(*text);
    out << cp1251ToUtf8(k.trimmed) << '\n' << cp1251ToUtf8(k.key) << '\n';
    return ExitDone;
}

int baseCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const std::string sub = args.size() > 1 ? args[1] : "";
    if (sub == "show") {
        return show(parseBase(args, true, {}), out, err);
    }
    if (sub == "save") {
        return save(parseBase(args, true,
                              {"--Z", "--dw", "--D", "--d", "--a", "--kind", "--rows", "--load",
                               "--shape", "--info"}),
                    err);
    }
    if (sub == "list") {
        return list(parseBase(args, false, {}), out);
    }
    if (sub == "delete") {
        // As in the window, a bearing without a record is not reported; a record that stays
        // is.
        if (const int error = removeDataFile(recordPath(parseBase(args, true, {})))) {
            err << runtimeErrorText(error) << '\n';
            return ExitFile;
        }
        return ExitDone;
    }
    throw UsageError{"base takes show, save, list or delete"};
}

} // namespace orbistan
