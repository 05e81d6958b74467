#include "cli/cli.h"

#include "cli/common.h"

#include "calc/compute.h"
#include "calc/messages.h"
#include "calc/numbers.h"
#include "platform/cp1251.h"
#include "search/harmonics.h"
#include "search/search.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/io/formats.h"
#include "spectrum/signal/vocabulary.h"

#include <algorithm>
#include <map>
#include <new>
#include <optional>

namespace orbistan {

namespace {

// The usage, its choices from the settings' tables.
std::string usageText() {
    return std::string(
        "usage: orbistan-cli compute --Z T --Fr T --dw T --D T --d T --a T [--precision P] "
        "[--mult ROW=K1:K2]...\n"
        "       orbistan-cli search <compute options> --value S [--tolerance T] [--step 1|0,5] "
        "[--max-harmonic M] [--max-frequency F]\n"
        "       orbistan-cli harmonics <compute options> --of Fo|Fi|Fw|Fq|Fo*|Fi*|Fw* [--sub]\n"
        "       orbistan-cli key TEXT\n"
        "       orbistan-cli base show|delete NUMBER [--other]\n"
        "       orbistan-cli base save NUMBER --Z T --dw T --D T --d T --a T [--kind K] [--rows R]"
        " [--load L] [--shape S] [--info TEXT] [--other]\n"
        "       orbistan-cli base list [--other]\n"
        "       orbistan-cli spectrum FILE [<compute options>] [--peaks N] [--tolerance T]"
        " [--max-harmonic M] [--max-frequency F] [--window " +
        joinedKeys(kWindowTerms) + "] [--lines L] [--span HZ] [--averaging " +
        joinedKeys(kAveragingTerms) +
        "] [--averages N|all]"
        " [--channel K] [--variable NAME] [--rate HZ] [--text " +
        joinedKeys(kTextLayoutTerms) + "] [--scaling " + joinedKeys(kScalingTerms) + "] [--unit " +
        joinedKeys(kStatedUnitTerms) +
        "]"
        " [--velocity]\n"
        "       orbistan-cli synth --fault " +
        joinWords(synthFaultKeys()) +
        " --out FILE.wav <compute options>"
        " [--rate HZ] [--seconds S] [--resonance HZ] [--noise SIGMA] [--seed N]"
        " [--series N [--onset K] [--interval MINUTES]: --out is a folder]\n"
        "       orbistan-cli envelope FILE --band LOW:HIGH|auto [--whiten] [<options of "
        "spectrum>]\n"
        "       orbistan-cli diagnose FILE <compute options, --Fr from the file if it states it>"
        " [--band LOW:HIGH|auto|--whiten|--method best|whitened|bandmap|coherence] [--slip PCT]"
        " [--window W] [--lines L] [--span HZ] [--scaling S]"
        " [--channel K] [--variable NAME] [--rate HZ] [--unit U]\n"
        "       orbistan-cli report FILE <compute options, --Fr from the file if it states it>"
        " --out REPORT.pdf [--number N] [--machine TEXT] [--point TEXT]"
        " [--measured DD.MM.YYYY[ HH:MM]] [--band LOW:HIGH|auto|--method M] [<options of "
        "spectrum>]\n"
        "       orbistan-cli levels FILE [--channel K] [--variable NAME] [--rate HZ] [--text T] "
        "[--unit U]\n"
        "       orbistan-cli trend FOLDER|FILE... <compute options, --Fr from the first record if"
        " it states it> [--band LOW:HIGH|auto|--whiten|--method M] [--slip PCT] [--lines L]"
        " [--channel K]"
        " [--variable NAME] [--rate HZ] [--text T] [--threads N] [--out TREND.csv]");
}

int rowByName(const std::string& name) {
    for (int row = kDefectCount; row < ResultCount; ++row) {
        if (resultName(row) == name) {
            return row;
        }
    }
    return -1;
}

int parsePrecision(const std::string& value) {
    static const std::map<std::string, int> kPrecisions = {
        {"1", 1}, {"100", 100}, {"1000", 1000}, {"10000", 10000}, {"100000", 100000}};
    const auto it = kPrecisions.find(value);
    if (it == kPrecisions.end()) {
        throw UsageError{"precision must be 1, 100, 1000, 10000 or 100000"};
    }
    return it->second;
}

// "ROW=K1:K2": the texts of a sideband row's two multiplier fields.
void parseMultipliers(const std::string& value, ComputeArgs& a) {
    const std::size_t eq = value.find('=');
    const std::size_t colon = value.find(':', eq == std::string::npos ? 0 : eq);
    const int row = eq == std::string::npos ? -1 : rowByName(value.substr(0, eq));
    if (row < 0 || colon == std::string::npos) {
        throw UsageError{"--mult takes ROW=K1:K2 with one of the 14 sideband rows"};
    }
    a.multipliers[firstMultiplierOf(row)] = value.substr(eq + 1, colon - eq - 1);
    a.multipliers[firstMultiplierOf(row) + 1] = value.substr(colon + 1);
}

constexpr const char* kGeometry[] = {"--Z", "--Fr", "--dw", "--D", "--d", "--a"};

} // namespace

ComputeArgs parseCompute(const std::vector<std::string>& args, const ExtraOptions& extra,
                         std::size_t first, bool geometryRequired) {
    ComputeArgs a;
    a.multipliers.fill("1");
    for (std::size_t i = first; i < args.size(); ++i) {
        const std::string& opt = args[i];
        if (contains(extra.flags, opt)) {
            a.extra[opt] = "";
            continue;
        }
        if (i + 1 >= args.size()) {
            throw UsageError{"missing value for " + opt};
        }
        const std::string& value = args[++i];
        if (std::find(std::begin(kGeometry), std::end(kGeometry), opt) != std::end(kGeometry)) {
            a.geometry[opt] = value;
        } else if (opt == "--precision") {
            a.precision = parsePrecision(value);
        } else if (opt == "--mult") {
            parseMultipliers(value, a);
        } else if (contains(extra.withValue, opt)) {
            a.extra[opt] = value;
        } else {
            throw UsageError{"unknown option " + opt};
        }
    }
    for (const char* g : kGeometry) {
        if (!a.geometry.count(g) && (geometryRequired || !a.geometry.empty())) {
            throw UsageError{std::string("missing option ") + g};
        }
    }
    return a;
}

std::optional<int> computeOrRefuse(const ComputeArgs& a, ComputeOutcome& c, std::ostream& err) {
    InputTexts texts;
    const std::pair<InputField, const char*> fields[] = {
        {InZ, "--Z"}, {InFr, "--Fr"}, {InDw, "--dw"}, {InD, "--D"}, {Ind, "--d"}, {InA, "--a"}};
    for (const auto& [field, name] : fields) {
        texts.fields[field] = utf8ToCp1251Lossy(a.geometry.at(name));
    }
    for (int i = 0; i < kMultiplierCount; ++i) {
        texts.multipliers[i] = utf8ToCp1251Lossy(a.multipliers[i]);
    }
    c = runComputation(texts, a.precision);
    switch (c.kind) {
    case ComputeOutcome::Unreadable:
        err << text::kEnterDataCorrectly << '\n';
        return ExitUnreadable;
    case ComputeOutcome::OutOfRange:
        writeRangeWarnings(c.validation.warnings, err);
        return ExitRange;
    case ComputeOutcome::Done:
        break;
    }
    return std::nullopt;
}

SearchBases basesOf(const ComputeOutcome& c) {
    return searchBases(c.results, c.validation.inputs.Fr);
}

std::string extraOr(const ComputeArgs& a, const std::string& name, const std::string& fallback) {
    const auto it = a.extra.find(name);
    return it == a.extra.end() ? fallback : it->second;
}

namespace {

int compute(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    ComputeOutcome c;
    if (const auto refused = computeOrRefuse(parseCompute(args), c, err)) {
        return *refused;
    }
    for (int i = 0; i < ResultCount; ++i) {
        out << resultName(i) << '=' << formatGeneral(c.results[i]) << '\n';
    }
    return ExitDone;
}

int search(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ComputeArgs a = parseCompute(
        args, {{"--value", "--tolerance", "--step", "--max-harmonic", "--max-frequency"}, {}});
    if (!a.extra.count("--value")) {
        throw UsageError{"missing option --value"};
    }
    const std::string step = extraOr(a, "--step", "1");
    if (step != "1" && step != "0,5" && step != "0.5") {
        throw UsageError{"--step takes 1 or 0,5"};
    }
    ComputeOutcome c;
    if (const auto refused = computeOrRefuse(a, c, err)) {
        return *refused;
    }
    const SearchTexts texts =
        withEmptyDefaults({utf8ToCp1251Lossy(a.extra.at("--value")),
                           utf8ToCp1251Lossy(extraOr(a, "--tolerance", "1")), step,
                           utf8ToCp1251Lossy(extraOr(a, "--max-harmonic", "10")),
                           utf8ToCp1251Lossy(extraOr(a, "--max-frequency", "1000"))});
    const auto parameters = readSearchParameters(texts);
    if (!parameters) {
        err << text::kEnterDataCorrectly << '\n';
        return ExitUnreadable;
    }
    const SearchBases bases = basesOf(c);
    const SearchResult r = runSearch(bases, applySearchLimits(*parameters).parameters, a.precision);
    for (int k = 0; k < kCombinationCount; ++k) {
        out << searchHeading(k, r.counts[k]) << '\n';
        if (!r.lists[k].empty()) {
            out << r.lists[k] << '\n';
        }
    }
    return ExitDone;
}

int harmonics(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ComputeArgs a = parseCompute(args, {{"--of"}, {"--sub"}});
    static const std::string kNames[] = {"Fo", "Fi", "Fw", "Fq", "Fo*", "Fi*", "Fw*"};
    const std::string of = extraOr(a, "--of", "");
    const auto* which = std::find(std::begin(kNames), std::end(kNames), of);
    if (which == std::end(kNames)) {
        throw UsageError{"--of takes Fo, Fi, Fw, Fq, Fo*, Fi* or Fw*"};
    }
    ComputeOutcome c;
    if (const auto refused = computeOrRefuse(a, c, err)) {
        return *refused;
    }
    const int index = static_cast<int>(which - std::begin(kNames));
    for (const std::string& line :
         harmonicCaptions(index, c.results[index], a.extra.count("--sub") > 0, a.precision)) {
        out << cp1251ToUtf8(line) << '\n';
    }
    return ExitDone;
}

} // namespace

namespace {

using Command = int (*)(const std::vector<std::string>&, std::ostream&, std::ostream&);

int keyAdapter(const std::vector<std::string>& args, std::ostream& out, std::ostream&) {
    return keyCommand(args, out);
}

int synthAdapter(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
    return synthCommand(args, err);
}

const std::map<std::string, Command>& commands() {
    static const std::map<std::string, Command> table = {
        {"compute", compute},          {"search", search},
        {"harmonics", harmonics},      {"key", keyAdapter},
        {"base", baseCommand},         {"spectrum", spectrumCommand},
        {"synth", synthAdapter},       {"envelope", envelopeCommand},
        {"diagnose", diagnoseCommand}, {"report", reportCommand},
        {"levels", levelsCommand},     {"trend", trendCommand},
    };
    return table;
}

} // namespace

int runCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        if (args.empty()) {
            throw UsageError{"missing command"};
        }
        const auto command = commands().find(args[0]);
        if (command == commands().end()) {
            throw UsageError{"unknown command " + args[0]};
        }
        return command->second(args, out, err);
    } catch (const UsageError& e) {
        // The message may quote what was typed: bytes that are not text are shown as codes.
        err << "orbistan-cli: " << visibleText(e.what) << '\n'
            << usageText() << "\nFILE of the spectrum commands, by its format:\n"
            << formatList();
        return ExitUsage;
    } catch (const std::bad_alloc&) {
        // A whole-record transform of a long record can need more than the machine has.
        err << "orbistan-cli: не хватает памяти; возьмите меньше линий (--lines)\n";
        return ExitFile;
    }
}

void writeRangeWarnings(const std::vector<RangeWarning>& warnings, std::ostream& err) {
    for (RangeWarning w : warnings) {
        switch (w) {
        case RangeWarning::OuterNotGreater:
            err << text::kOuterNotGreater1 << text::kOuterNotGreater2 << '\n';
            break;
        case RangeWarning::NegativeAngle:
            err << text::kNegativeAngle << '\n';
            break;
        case RangeWarning::NotPositive:
            err << text::kNotPositiveLine << '\n';
            break;
        }
    }
}

} // namespace orbistan
