#pragma once
// The bearing type: four attributes with their codes, and the additional information text.

#include <string>
#include <vector>

namespace orbistan {

enum TypeAttribute { ElementKind, RowCount, LoadDirection, Shape };

// The word the type lookup shows for a code (display text, UTF-8); empty for 0 and for a
// code outside the table.
std::string typeSummaryWord(TypeAttribute attribute, int code);

// The four words, each followed by one blank but the last: "Шариковый однорядный радиальный ".
std::string typeSummary(int kind, int rows, int load, int shape);

inline constexpr std::size_t kInformationLines = 80;
inline constexpr std::size_t kInformationLineLength = 100;

// The information text as stored: lines 1 to 80 of the box as it lays them out, each cut to
// its first 100 characters, joined with nothing between them (code page 1251 bytes).
std::string assembleInformation(const std::vector<std::string>& displayedLines);

} // namespace orbistan
