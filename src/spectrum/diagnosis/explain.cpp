#include "spectrum/diagnosis/explain.h"

#include "calc/numbers.h"

#include <algorithm>
#include <cmath>

namespace orbistan {

namespace {

// "Fo+" → "Fo", "(Fr-Fq)=" → "(Fr-Fq)".
std::string baseName(std::string_view label) {
    return std::string(label.substr(0, label.size() - 1));
}

Explanation fromHit(int c, double m, double n, double v, double frequency) {
    const Combination& comb = combinations()[c];
    Explanation e{std::string(comb.heading), false, m, n, v, std::abs(v - frequency)};
    // A zero multiplier leaves one frequency's harmonic; (Fr-Fq) is no frequency of its own.
    std::string single;
    if (n == 0) {
        single = baseName(comb.firstLabel);
    } else if (m == 0 && comb.secondLabel.front() != '(') {
        single = baseName(comb.secondLabel);
        e.m = n;
    }
    if (!single.empty()) {
        e.single = true;
        e.n = 0;
        e.name = harmonicName(e.m, single);
    }
    return e;
}

// Simpler first: a harmonic, then the lowest m + n, then the smaller residual.
bool simpler(const Explanation& x, const Explanation& y) {
    if (x.single != y.single) {
        return x.single;
    }
    if (x.m + x.n != y.m + y.n) {
        return x.m + x.n < y.m + y.n;
    }
    return x.residual < y.residual;
}

} // namespace

std::vector<Explanation> explainFrequency(double frequency, const SearchBases& bases,
                                          SearchParameters p, int precision, double resolution) {
    p.value = frequency;
    std::vector<Explanation> found;
    forEachSearchHit(bases, p, precision, [&](int c, double m, double n, double v) {
        if (m == 0 && n == 0) {
            return;
        }
        Explanation e = fromHit(c, m, n, v, frequency);
        // The same harmonic turns up in every combination built on its frequency.
        const bool known = std::any_of(found.begin(), found.end(), [&](const Explanation& k) {
            return k.name == e.name && k.m == e.m && k.n == e.n;
        });
        if (!known) {
            found.push_back(std::move(e));
        }
    });
    // Repeatedly take, among those whose residual is within the resolution of the smallest
    // left, the simplest: a sort by the residual would let a far-fetched twin win by a hair.
    std::vector<Explanation> ranked;
    while (!found.empty()) {
        const double least = std::min_element(found.begin(), found.end(), [](auto& x, auto& y) {
                                 return x.residual < y.residual;
                             })->residual;
        auto best = found.end();
        for (auto it = found.begin(); it != found.end(); ++it) {
            if (it->residual <= least + resolution &&
                (best == found.end() || simpler(*it, *best))) {
                best = it;
            }
        }
        ranked.push_back(std::move(*best));
        found.erase(best);
    }
    return ranked;
}

namespace {

// The line of a found family at `frequency`: of the families as ranked, the first whose
// harmonic (within the resolution, or 0,3 %: the lines found line up that closely) stands
// there, else the first whose sideband does.
std::optional<Explanation> byDiagnosis(double frequency, const SearchBases& bases,
                                       const SearchParameters& p, double resolution,
                                       const std::vector<FamilyEvidence>& diagnosis) {
    const double near = std::max(resolution, 0.003 * frequency);
    for (const int sidebands : {0, 2}) {
        for (const FamilyEvidence& e : diagnosis) {
            if (e.verdict == Verdict::None || !(e.found > 0)) {
                continue;
            }
            const FaultFamilyInfo& f = faultFamily(e.family);
            const double modulator = f.modulator(bases);
            for (int k = 1; k * f.searchMultiple <= p.maxHarmonic; ++k) {
                for (int n = -sidebands; n <= sidebands; ++n) {
                    const double value = k * e.found + n * modulator;
                    if ((sidebands == 0) != (n == 0) || (n != 0 && !(modulator > 0)) ||
                        std::abs(value - frequency) > near) {
                        continue;
                    }
                    const double m = k * f.searchMultiple;
                    if (n == 0) {
                        const std::string symbol(f.searchSymbol);
                        return Explanation{harmonicName(m, symbol),    true, m, 0, value,
                                           std::abs(value - frequency)};
                    }
                    return Explanation{std::string(n > 0 ? f.plus : f.minus),
                                       false,
                                       m,
                                       std::abs(n) * 1.0,
                                       value,
                                       std::abs(value - frequency)};
                }
            }
        }
    }
    return std::nullopt;
}

} // namespace

std::vector<ExplainedPeak> explainPeaks(const std::vector<Peak>& peaks, const SearchBases& bases,
                                        const SearchParameters& p, int precision, double resolution,
                                        const std::vector<FamilyEvidence>& diagnosis) {
    std::vector<ExplainedPeak> rows;
    rows.reserve(peaks.size());
    for (const Peak& peak : peaks) {
        if (std::optional<Explanation> found =
                byDiagnosis(peak.frequency, bases, p, resolution, diagnosis)) {
            rows.push_back({peak, std::move(found)});
            continue;
        }
        std::vector<Explanation> e =
            explainFrequency(peak.frequency, bases, p, precision, resolution);
        rows.push_back({peak, e.empty() ? std::nullopt : std::optional(std::move(e.front()))});
    }
    return rows;
}

namespace {

std::string headerLine(const std::vector<std::string>& captions, char sep) {
    std::string out;
    for (const std::string& caption : captions) {
        out += (out.empty() ? "" : std::string(1, sep)) + caption;
    }
    return out + '\n';
}

std::string peakRows(const std::vector<ExplainedPeak>& rows, char sep) {
    std::string out;
    int rank = 0;
    for (const ExplainedPeak& r : rows) {
        out += std::to_string(++rank) + sep + formatGeneral(r.peak.frequency) + sep +
               formatGeneral(r.peak.amplitude) + sep;
        if (!r.best) {
            out += std::string("-") + sep + sep + sep + sep + '\n';
            continue;
        }
        const Explanation& e = *r.best;
        out += e.name + sep + formatGeneral(e.m) + sep + (e.single ? "" : formatGeneral(e.n)) +
               sep + formatGeneral(e.value) + sep + formatGeneral(e.residual) + '\n';
    }
    return out;
}

} // namespace

std::string peakTable(const std::vector<ExplainedPeak>& rows, char sep) {
    static const std::vector<std::string> kHeader = {
        "rank", "frequency", "amplitude", "explanation", "m", "n", "value", "residual"};
    return headerLine(kHeader, sep) + peakRows(rows, sep);
}

const std::vector<std::string>& peakTableCaptions() {
    static const std::vector<std::string> kCaptions = {
        "№", "Частота, Гц", "Амплитуда", "Объяснение", "m", "n", "Значение", "Невязка"};
    return kCaptions;
}

std::string peakTableForSpreadsheet(const std::vector<ExplainedPeak>& rows) {
    return "\xEF\xBB\xBF" + headerLine(peakTableCaptions(), ';') + peakRows(rows, ';');
}

} // namespace orbistan
