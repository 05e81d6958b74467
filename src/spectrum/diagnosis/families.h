#pragma once
// The bearing's fault families, written once: what each is called in files, on the command
// line and on screen, the frequency its lines stand at, the frequency that modulates them,
// its colour and the words of its verdicts. The evidence, the marker lines, the synthetic
// signals, the command line, the window's panel and the report all read this table.

#include "search/search.h"
#include "spectrum/signal/vocabulary.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orbistan {

enum class FaultFamily { Outer, Inner, Ball, Cage };

enum class Verdict { None, Weak, Strong };

struct FaultFamilyInfo {
    FaultFamily id;
    std::string_view key;    // "outer": files and the command line
    std::string_view symbol; // "2·Fw": the fundamental's name
    std::string_view part;   // "тело качения": the part whose fault it is
    // The frequency of its lines and of their modulation (0: none) for a bearing.
    double (*base)(const SearchBases&);
    double (*modulator)(const SearchBases&);
    std::string_view modulatorSymbol; // "Fq"; empty without modulation
    // Whether a fault of this part is carried through the load zone, so that its lines are
    // expected with sidebands (the inner race turns with the shaft, the rolling element
    // with the cage); the outer race's ±Fr appear only with an unbalanced load.
    bool sidebandsExpected;
    int marker; // its lines among the marker families (markers.h), drawn in their colour
    // How the frequency search names its lines: the fundamental is `searchMultiple` times
    // `searchSymbol` (2·Fw is twice Fw), its sidebands the search's combination `plus`/`minus`.
    std::string_view searchSymbol;
    int searchMultiple;
    std::string_view plus, minus;
    std::string_view faultOf; // "наружного кольца": as "Дефект …" names the part
};

// The k-th harmonic of a frequency named by its symbol, as an analyst reads it: "Fo",
// "3·Fo"; a symbol that is a multiple already folds in: the second harmonic of "2·Fw" is
// "4·Fw", never "2·2·Fw".
std::string harmonicName(double k, std::string_view symbol);

const std::array<FaultFamilyInfo, 4>& faultFamilies();
const FaultFamilyInfo& faultFamily(FaultFamily f);
// The family of a key ("outer", …); none for another text.
std::optional<FaultFamily> faultFamilyFromKey(std::string_view key);

// A verdict's key for files and the command line, and its words on the panel and the report.
inline constexpr Vocabulary<Verdict, 3> kVerdictTerms = {{
    {Verdict::None, "none", "нет"},
    {Verdict::Weak, "weak", "слабые признаки"},
    {Verdict::Strong, "strong", "сильные признаки"},
}};
inline std::string_view verdictKey(Verdict v) {
    return termOf(kVerdictTerms, v).key;
}
inline std::string_view verdictWords(Verdict v) {
    return termOf(kVerdictTerms, v).label;
}
// The colour a verdict is written in, 0xRRGGBB.
std::uint32_t verdictRgb(Verdict v);

} // namespace orbistan
