#include "base/bearing_type.h"

#include <algorithm>
#include <array>

namespace orbistan {

namespace {

const std::array<std::vector<const char*>, 4> kWords = {{
    {"", "Роликовый", "Шариковый", "Ролико-шариковый"},
    {"", "однорядный", "двухрядный", "трехрядный", "четырехрядный"},
    {"", "упорный", "радиальный", "радиально-упорный"},
    {"", "конический", "сферический"},
}};

} // namespace

std::string typeSummaryWord(TypeAttribute attribute, int code) {
    const auto& words = kWords[attribute];
    return code >= 0 && code < static_cast<int>(words.size()) ? words[code] : "";
}

std::string typeSummary(int kind, int rows, int load, int shape) {
    return typeSummaryWord(ElementKind, kind) + ' ' + typeSummaryWord(RowCount, rows) + ' ' +
           typeSummaryWord(LoadDirection, load) + ' ' + typeSummaryWord(Shape, shape);
}

std::string assembleInformation(const std::vector<std::string>& displayedLines) {
    std::string text;
    const std::size_t count = std::min(displayedLines.size(), kInformationLines);
    for (std::size_t i = 0; i < count; ++i) {
        text += displayedLines[i].substr(0, kInformationLineLength);
    }
    return text;
}

} // namespace orbistan
