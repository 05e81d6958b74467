#include "search/search.h"

#include "calc/frequencies.h"
#include "calc/numbers.h"

namespace orbistan {

namespace {

using X = long double;

constexpr std::array<Combination, kCombinationCount> kCombinations = {{
    {"Fo + Fq", "Fo+", "Fq=", FoPlusFq},
    {"Fo - Fq", "Fo-", "Fq=", FoMinusFq},
    {"Fr + Fq", "Fr+", "Fq=", FrPlusFq},
    {"Fr - Fq", "Fr-", "Fq=", FrMinusFq},
    {"Fw + Fr", "Fw+", "Fr=", FwPlusFr},
    {"Fw - Fr", "Fw-", "Fr=", FwMinusFr},
    {"Fi + Fr", "Fi+", "Fr=", FiPlusFr},
    {"Fi - Fr", "Fi-", "Fr=", FiMinusFr},
    {"Fi + (Fr-Fq)", "Fi+", "(Fr-Fq)=", FiPlusFrMinusFq},
    {"Fi - (Fr-Fq)", "Fi-", "(Fr-Fq)=", FiMinusFrMinusFq},
    {"Fw + Fq", "Fw+", "Fq=", FwPlusFq},
    {"Fw - Fq", "Fw-", "Fq=", FwMinusFq},
    {"Fo + Fr", "Fo+", "Fr=", FoPlusFr},
    {"Fo - Fr", "Fo-", "Fr=", FoMinusFr},
}};

// Neither harmonic above the maximum frequency, tested as the quotient k <= Fmax / base.
// A zero base has only zero harmonics, which never exceed a maximum of zero or more.
bool withinMaximum(X k, X base, X maxFrequency) {
    if (base == 0) {
        return maxFrequency >= 0;
    }
    return k <= maxFrequency / base;
}

void appendLine(std::string& list, const Combination& c, const SearchHit& hit) {
    if (!list.empty()) {
        list += '\n';
    }
    list += formatGeneral(hit.m);
    list += c.firstLabel;
    list += formatGeneral(hit.n);
    list += c.secondLabel;
    list += formatGeneral(hit.value);
}

} // namespace

const std::array<Combination, kCombinationCount>& combinations() {
    return kCombinations;
}

SearchTexts withEmptyDefaults(SearchTexts texts) {
    if (texts.tolerance.empty()) {
        texts.tolerance = "0";
    }
    if (texts.maxHarmonic.empty()) {
        texts.maxHarmonic = "10";
    }
    if (texts.maxFrequency.empty()) {
        texts.maxFrequency = "1000";
    }
    return texts;
}

std::optional<SearchParameters> readSearchParameters(const SearchTexts& t) {
    const auto S = readNumber(fieldNumberText(t.value));
    const auto T = readNumber(fieldNumberText(t.tolerance));
    const auto h = readNumber(fieldNumberText(t.step));
    const auto F = readNumber(fieldNumberText(t.maxFrequency));
    const auto M = readNumber(fieldNumberText(t.maxHarmonic));
    if (!S || !T || !h || !F || !M) {
        return std::nullopt;
    }
    return SearchParameters{*S, *T, *h, *M, *F};
}

LimitedParameters applySearchLimits(SearchParameters p) {
    LimitedParameters out;
    if (p.tolerance > 20) {
        p.tolerance = 20;
        out.tolerance = "20";
    }
    if (p.maxHarmonic > 50) {
        p.maxHarmonic = 50;
        out.maxHarmonic = "50";
    }
    if (p.maxFrequency > 40000) {
        p.maxFrequency = 40000;
        out.maxFrequency = "40000";
    }
    out.parameters = p;
    return out;
}

SearchResult runSearch(const SearchBases& b, const SearchParameters& p, int precision) {
    SearchResult r;
    // The step field only ever holds 1 or 0,5; anything else would never end the grid.
    if (!(p.step > 0)) {
        return r;
    }
    const X S = p.value, T = p.tolerance, F = p.maxFrequency;
    const X low = S - T, high = S + T;
    const X Fo = b.Fo, Fi = b.Fi, Fw = b.Fw, Fq = b.Fq, Fr = b.Fr;
    const X FrFq = Fr - Fq;
    // The two bases of each combination, in the table's order.
    const X first[kCombinationCount] = {Fo, Fo, Fr, Fr, Fw, Fw, Fi, Fi, Fi, Fi, Fw, Fw, Fo, Fo};
    const X second[kCombinationCount] = {Fq, Fq,   Fq,   Fq, Fr, Fr, Fr,
                                         Fr, FrFq, FrFq, Fq, Fq, Fr, Fr};
    for (double n = 0; n <= p.maxHarmonic; n += p.step) {
        for (double m = 0; m <= p.maxHarmonic; m += p.step) {
            for (int c = 0; c < kCombinationCount; ++c) {
                const X a = m * first[c], bn = n * second[c];
                double v = static_cast<double>(c % 2 == 0 ? a + bn : a - bn);
                v = roundToPrecision(v, precision);
                if (!(low <= v && v <= high && withinMaximum(m, first[c], F) &&
                      withinMaximum(n, second[c], F))) {
                    continue;
                }
                const SearchHit hit{m, n, v};
                if (r.counts[c]++ == 0) {
                    r.first[c] = hit;
                }
                appendLine(r.lists[c], kCombinations[c], hit);
            }
        }
    }
    return r;
}

std::string searchHeading(int combination, int count) {
    return std::string(kCombinations[combination].heading) + " ( " + std::to_string(count) + " )";
}

} // namespace orbistan
