#include "search/search.h"

#include "calc/frequencies.h"
#include "calc/numbers.h"

namespace orbistan {

SearchBases searchBases(const Results& results, double Fr) {
    return {results[Fo], results[Fi], results[Fw], results[Fq], Fr};
}

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

namespace {

// The two bases of each combination, in the table's order, exact and as doubles (the second
// with its sign) for the first look.
struct CombinationBases {
    X first[kCombinationCount], second[kCombinationCount];
    double firstD[kCombinationCount], secondD[kCombinationCount];
};

CombinationBases combinationBases(const SearchBases& b) {
    const X Fo = b.Fo, Fi = b.Fi, Fw = b.Fw, Fq = b.Fq, Fr = b.Fr;
    const X FrFq = Fr - Fq;
    CombinationBases cb{{Fo, Fo, Fr, Fr, Fw, Fw, Fi, Fi, Fi, Fi, Fw, Fw, Fo, Fo},
                        {Fq, Fq, Fq, Fq, Fr, Fr, Fr, Fr, FrFq, FrFq, Fq, Fq, Fr, Fr},
                        {},
                        {}};
    for (int c = 0; c < kCombinationCount; ++c) {
        cb.firstD[c] = static_cast<double>(cb.first[c]);
        cb.secondD[c] = static_cast<double>(c % 2 == 0 ? cb.second[c] : -cb.second[c]);
    }
    return cb;
}

// The multipliers' texts, made once: the grid holds at most a few hundred of them.
class MultiplierTexts {
public:
    explicit MultiplierTexts(double step) : step_(step) {}
    const std::string& of(double k) {
        const auto i = static_cast<std::size_t>(k / step_);
        while (texts_.size() <= i) {
            texts_.push_back(formatGeneral(texts_.size() * step_));
        }
        return texts_[i];
    }

private:
    double step_;
    std::vector<std::string> texts_;
};

void addHit(SearchResult& r, int c, double m, double n, double v, MultiplierTexts& texts) {
    if (r.counts[c]++ == 0) {
        r.first[c] = SearchHit{m, n, v};
    }
    std::string& list = r.lists[c];
    if (!list.empty()) {
        list += '\n';
    }
    list += texts.of(m);
    list += kCombinations[c].firstLabel;
    list += texts.of(n);
    list += kCombinations[c].secondLabel;
    list += formatGeneral(v);
}

} // namespace

void forEachSearchHit(const SearchBases& b, const SearchParameters& p, int precision,
                      const std::function<void(int, double, double, double)>& hit) {
    // The step field only ever holds 1 or 0,5; anything else would never end the grid.
    if (!(p.step > 0)) {
        return;
    }
    const X low = X(p.value) - p.tolerance, high = X(p.value) + p.tolerance, F = p.maxFrequency;
    // Rounding moves a value by at most half a unit of the precision: values farther than
    // a whole unit outside the tolerance can never become hits. A first look in plain double
    // arithmetic (off by far less than 10^-6 at these magnitudes) passes over them, so that
    // only the few values near the tolerance are formed exactly, in extended precision.
    const double margin = (precision > 1 ? 1.0 / precision : 0) + 1e-6;
    const double nearLow = static_cast<double>(low) - margin;
    const double nearHigh = static_cast<double>(high) + margin;
    const CombinationBases cb = combinationBases(b);
    for (double n = 0; n <= p.maxHarmonic; n += p.step) {
        for (double m = 0; m <= p.maxHarmonic; m += p.step) {
            for (int c = 0; c < kCombinationCount; ++c) {
                const double rough = m * cb.firstD[c] + n * cb.secondD[c];
                if (rough < nearLow || rough > nearHigh) {
                    continue;
                }
                const X a = m * cb.first[c], bn = n * cb.second[c];
                const double v =
                    roundToPrecision(static_cast<double>(c % 2 == 0 ? a + bn : a - bn), precision);
                if (low <= v && v <= high && withinMaximum(m, cb.first[c], F) &&
                    withinMaximum(n, cb.second[c], F)) {
                    hit(c, m, n, v);
                }
            }
        }
    }
}

SearchResult runSearch(const SearchBases& b, const SearchParameters& p, int precision) {
    SearchResult r;
    MultiplierTexts texts(p.step > 0 ? p.step : 1);
    forEachSearchHit(b, p, precision,
                     [&](int c, double m, double n, double v) { addHit(r, c, m, n, v, texts); });
    return r;
}

std::string searchHeading(int combination, int count) {
    return std::string(kCombinations[combination].heading) + " ( " + std::to_string(count) + " )";
}

} // namespace orbistan
