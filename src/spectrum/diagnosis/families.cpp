#include "spectrum/diagnosis/families.h"

#include "calc/numbers.h"

#include "spectrum/diagnosis/markers.h"

namespace orbistan {

const std::array<FaultFamilyInfo, 4>& faultFamilies() {
    static const std::array<FaultFamilyInfo, 4> kFamilies = {{
        {FaultFamily::Outer, "outer", "Fo", "наружное кольцо",
         [](const SearchBases& b) { return b.Fo; }, [](const SearchBases& b) { return b.Fr; }, "Fr",
         false, MarkFo, "Fo", 1, "Fo + Fr", "Fo - Fr", "наружного кольца"},
        {FaultFamily::Inner, "inner", "Fi", "внутреннее кольцо",
         [](const SearchBases& b) { return b.Fi; }, [](const SearchBases& b) { return b.Fr; }, "Fr",
         true, MarkFi, "Fi", 1, "Fi + Fr", "Fi - Fr", "внутреннего кольца"},
        {FaultFamily::Ball, "ball", "2·Fw", "тело качения",
         [](const SearchBases& b) { return 2 * b.Fw; }, [](const SearchBases& b) { return b.Fq; },
         "Fq", true, Mark2Fw, "Fw", 2, "Fw + Fq", "Fw - Fq", "тела качения"},
        {FaultFamily::Cage, "cage", "Fq", "сепаратор", [](const SearchBases& b) { return b.Fq; },
         [](const SearchBases&) { return 0.0; }, "", false, MarkFq, "Fq", 1, "", "", "сепаратора"},
    }};
    return kFamilies;
}

const FaultFamilyInfo& faultFamily(FaultFamily f) {
    return faultFamilies()[static_cast<std::size_t>(f)];
}

std::optional<FaultFamily> faultFamilyFromKey(std::string_view key) {
    for (const FaultFamilyInfo& f : faultFamilies()) {
        if (f.key == key) {
            return f.id;
        }
    }
    return std::nullopt;
}

std::uint32_t verdictRgb(Verdict v) {
    return v == Verdict::Strong ? 0xc00000 : v == Verdict::Weak ? 0xc07000 : 0x808080;
}

std::string harmonicName(double k, std::string_view symbol) {
    const std::size_t dot = symbol.find("·");
    if (dot != std::string_view::npos && dot > 0 &&
        symbol.substr(0, dot).find_first_not_of("0123456789") == std::string_view::npos) {
        k *= std::stod(std::string(symbol.substr(0, dot)));
        symbol.remove_prefix(dot + std::string_view("·").size());
    }
    return k == 1 ? std::string(symbol) : formatGeneral(k) + "·" + std::string(symbol);
}

} // namespace orbistan
