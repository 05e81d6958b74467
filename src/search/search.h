#pragma once
// The search of a measured frequency among the sideband combinations m·A ± n·B on a grid
// of multipliers, as a pure function of the stored frequencies and the search field texts.

#include "calc/frequencies.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

inline constexpr int kCombinationCount = 14;

// One sideband combination in the order the search tests them.
struct Combination {
    std::string_view heading;     // "Fo + Fq": the results window's design caption
    std::string_view firstLabel;  // "Fo+"
    std::string_view secondLabel; // "Fq="
    int resultIndex;              // the main window's row (a ResultIndex)
};
const std::array<Combination, kCombinationCount>& combinations();

// The frequencies the search works on: as stored by the last computation (rounded when the
// precision rounds), and Fr as typed.
struct SearchBases {
    double Fo = 0, Fi = 0, Fw = 0, Fq = 0, Fr = 0;
    bool operator==(const SearchBases&) const = default;
};
SearchBases searchBases(const Results& results, double Fr);

// The texts of the five search fields: Edit8, Edit7, Edit59, Edit61, Edit50.
struct SearchTexts {
    std::string value, tolerance, step, maxHarmonic, maxFrequency;
};

// Empty tolerance, maximum harmonic and maximum frequency fields get their defaults
// ("0", "10", "1000"); the search applies them first of all.
SearchTexts withEmptyDefaults(SearchTexts texts);

struct SearchParameters {
    double value = 0, tolerance = 0, step = 1, maxHarmonic = 10, maxFrequency = 1000;
    bool operator==(const SearchParameters&) const = default;
};

// Empty when one of the five texts does not read as a number.
std::optional<SearchParameters> readSearchParameters(const SearchTexts& texts);

// The limits, applied only to values strictly above them; the texts of the fields that
// were limited are set, the others stay empty.
struct LimitedParameters {
    SearchParameters parameters;
    std::optional<std::string> tolerance, maxHarmonic, maxFrequency; // new field texts
};
LimitedParameters applySearchLimits(SearchParameters p);

struct SearchHit {
    double m = 0, n = 0, value = 0;
};

struct SearchResult {
    std::array<int, kCombinationCount> counts{};
    std::array<std::optional<SearchHit>, kCombinationCount> first;
    std::array<std::string, kCombinationCount> lists; // each list's lines joined by "\n"
};

// Calls hit(combination, m, n, value) for every value of the grid within the tolerance, in
// the order the search lists them.
void forEachSearchHit(const SearchBases& bases, const SearchParameters& p, int precision,
                      const std::function<void(int, double, double, double)>& hit);

// Enumerates the grid n = 0, h, ... <= M (outer) and m likewise (inner).
SearchResult runSearch(const SearchBases& bases, const SearchParameters& p, int precision);

// "Fo + Fq ( 3 )".
std::string searchHeading(int combination, int count);

} // namespace orbistan
