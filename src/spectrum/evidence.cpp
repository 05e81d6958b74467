#include "spectrum/evidence.h"

#include "spectrum/peaks.h"
#include "spectrum/statistics.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace orbistan {

namespace {

struct Line {
    double frequency = 0;    // refined between the lines
    double significance = 0; // −log10 of the chance that noise puts a line as clear there
    double decibels = 0;     // above the floor
};

// A local maximum that is a peak of its own: the highest within two lines either side, so
// that the skirt of a stronger neighbour (the shaft's line, say) never counts.
bool ownPeak(const std::vector<double>& a, std::size_t i) {
    const std::size_t from = i >= 2 ? i - 2 : 0, to = std::min(a.size() - 1, i + 2);
    for (std::size_t j = from; j <= to; ++j) {
        if (j != i && (a[j] > a[i] || (a[j] == a[i] && j < i))) {
            return false;
        }
    }
    return i > 0 && i + 1 < a.size();
}

// The highest line of its own within [low, high], and how unlikely noise would put one as
// clear among the lines searched.
std::optional<Line> strongestLine(const Spectrum& s, double low, double high) {
    const std::vector<double>& f = s.frequency;
    const std::vector<double>& a = s.amplitude;
    const auto from =
        static_cast<std::size_t>(std::lower_bound(f.begin(), f.end(), low) - f.begin());
    const auto to =
        static_cast<std::size_t>(std::upper_bound(f.begin(), f.end(), high) - f.begin());
    std::optional<std::size_t> best;
    for (std::size_t i = from; i < to; ++i) {
        if (ownPeak(a, i) && (!best || a[i] > a[*best])) {
            best = i;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    const double floor = noiseFloor(s, *best);
    if (!(floor > 0) || !(a[*best] > floor)) {
        return std::nullopt;
    }
    const double ratio = a[*best] / floor;
    const double p = highestExceedance(ratio, s.averages, static_cast<double>(to - from));
    return Line{refinedFrequency(s, *best), -std::log10(std::max(p, 1e-300)),
                20 * std::log10(ratio)};
}

// Fisher's combination of independent lines' chances: −log10 of the chance that noise gives
// lines as clear as all of them together.
double combined(const std::vector<double>& significances) {
    if (significances.empty()) {
        return 0;
    }
    double chi = 0;
    for (double s : significances) {
        chi += 2 * s * std::numbers::ln10;
    }
    const double p = gammaQ(static_cast<double>(significances.size()), chi / 2);
    return -std::log10(std::max(p, 1e-300));
}

struct Family {
    const char* family;
    const char* name;
    double base;
    double modulator; // 0: no sidebands expected
    double shaft;     // Fr: the shaft's own lines are evidence of no bearing fault
};

// The lowest frequency a line can be told from the 0 Hz line and its leakage at.
double lowestResolvable(const Spectrum& s) {
    return 4 * s.resolution;
}

// A line where one of the shaft's first harmonics stands is the shaft's, whatever else it
// could be: those are in every machine's spectrum, faulty bearing or not.
bool shaftLine(const Spectrum& s, const Family& f, double frequency) {
    constexpr double kShaftHarmonics = 6;
    if (!(f.shaft > 0)) {
        return false;
    }
    const double m = std::max(1.0, std::round(frequency / f.shaft));
    return m <= kShaftHarmonics &&
           std::abs(frequency - m * f.shaft) <= std::max(s.resolution, 0.002 * frequency);
}

// The clearest line of its own in the window that is not the shaft's.
std::optional<Line> familyLine(const Spectrum& s, const Family& f, double low, double high) {
    std::optional<Line> l = strongestLine(s, std::max(low, lowestResolvable(s)), high);
    if (l && shaftLine(s, f, l->frequency)) {
        return std::nullopt;
    }
    return l;
}

// The fundamental as the clearest of the harmonics places it: each harmonic is looked for
// within the slip of its kinematic frequency, and the clearest line found, divided by its
// order, is where the family's lines are then looked for. Zero when none stands out.
double anchor(const Spectrum& s, const Family& f, double slip) {
    const double base = f.base;
    double best = kFoundSignificance, at = 0;
    for (int k = 1; k <= kEvidenceHarmonics && k * base < s.frequency.back(); ++k) {
        const double reach = std::max(k * base * slip, s.resolution);
        const std::optional<Line> l = familyLine(s, f, k * base - reach, k * base + reach);
        if (l && l->significance > best) {
            best = l->significance;
            at = l->frequency / k;
        }
    }
    return at;
}

void countSidebands(const Spectrum& s, const Family& f, double centre, FamilyEvidence& e) {
    for (const double side : {centre - f.modulator, centre + f.modulator}) {
        ++e.sidebandsExpected;
        const std::optional<Line> l = familyLine(s, f, side - s.resolution, side + s.resolution);
        e.sidebandsFound += l && l->significance >= kFoundSignificance;
    }
}

// A family's harmonic as looked for: where its line was, and how clear.
struct Harmonic {
    int order = 0;
    std::optional<Line> line; // none when nothing stood out in its window
};

struct Weighed {
    FamilyEvidence evidence;
    std::vector<Harmonic> harmonics;
    double clarity = 0; // the score of all its lines, before any is claimed
};

Weighed weigh(const Spectrum& s, const Family& f, double slip) {
    Weighed w{FamilyEvidence{f.family, f.name}, {}};
    FamilyEvidence& e = w.evidence;
    e.expected = f.base;
    if (!(f.base > 0)) {
        return w;
    }
    const double fundamental = anchor(s, f, slip);
    e.found = fundamental;
    std::vector<double> significances;
    for (int k = 1; k <= kEvidenceHarmonics && k * f.base < s.frequency.back(); ++k) {
        if (k * f.base < lowestResolvable(s)) {
            continue; // lost in the 0 Hz line at this resolution
        }
        // About k times the fundamental placed, or where it belongs when none was.
        const double centre = fundamental > 0 ? k * fundamental : k * f.base;
        const double reach = fundamental > 0 ? std::max(s.resolution, 0.003 * centre)
                                             : std::max(s.resolution, slip * centre);
        w.harmonics.push_back({k, familyLine(s, f, centre - reach, centre + reach)});
        significances.push_back(w.harmonics.back().line ? w.harmonics.back().line->significance
                                                        : 0);
        if (f.modulator > 0) {
            countSidebands(s, f, centre, e);
        }
    }
    w.clarity = combined(significances);
    return w;
}

bool claimed(const Spectrum& s, const std::vector<double>& claims, double frequency) {
    return std::any_of(claims.begin(), claims.end(), [&](double c) {
        return std::abs(c - frequency) <= std::max(s.resolution, 0.003 * frequency);
    });
}

// The verdict on what is left of a family's lines once those a clearer family explains are
// taken away: three times Fo is not twice a slipped Fi.
void judge(const Spectrum& s, Weighed& w, std::vector<double>& claims) {
    FamilyEvidence& e = w.evidence;
    std::vector<double> significances;
    std::vector<double> mine;
    double decibels = 0;
    bool first = false;
    e.harmonicsExpected = static_cast<int>(w.harmonics.size());
    for (const Harmonic& h : w.harmonics) {
        const bool own = h.line && !claimed(s, claims, h.line->frequency);
        significances.push_back(own ? h.line->significance : 0);
        if (own && h.line->significance >= kFoundSignificance) {
            ++e.harmonicsFound;
            decibels += h.line->decibels;
            first |= h.order == 1;
            mine.push_back(h.line->frequency);
        }
    }
    if (e.harmonicsFound == 0) {
        e.found = 0;
    }
    e.decibelsAboveFloor = e.harmonicsFound > 0 ? decibels / e.harmonicsFound : 0;
    e.score = combined(significances);
    if (first && e.harmonicsFound >= 3 && e.score >= kStrongSignificance) {
        e.verdict = Verdict::Strong;
    } else if (e.harmonicsFound >= 2 && e.score >= kWeakSignificance) {
        e.verdict = Verdict::Weak;
    }
    claims.insert(claims.end(), mine.begin(), mine.end());
}

} // namespace

std::vector<FamilyEvidence> rankEvidence(const Spectrum& s, const SearchBases& b,
                                         double slipPercent) {
    const Family families[] = {{"outer", "Fo", b.Fo, 0, b.Fr},
                               {"inner", "Fi", b.Fi, b.Fr, b.Fr},
                               {"ball", "2·Fw", 2 * b.Fw, b.Fq, b.Fr},
                               {"cage", "Fq", b.Fq, 0, b.Fr}};
    std::vector<Weighed> weighed;
    for (const Family& f : families) {
        weighed.push_back(weigh(s, f, slipPercent / 100));
    }
    // The clearest family, by all the lines it found, first claims them.
    std::stable_sort(weighed.begin(), weighed.end(),
                     [](const Weighed& x, const Weighed& y) { return x.clarity > y.clarity; });
    std::vector<double> claims;
    std::vector<FamilyEvidence> ranked;
    for (Weighed& w : weighed) {
        judge(s, w, claims);
        ranked.push_back(w.evidence);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const FamilyEvidence& x, const FamilyEvidence& y) {
                         return x.verdict != y.verdict ? x.verdict > y.verdict : x.score > y.score;
                     });
    return ranked;
}

namespace {

// "106,1 Hz (−0,8 %)": where the fundamental was found and how far from where it belongs.
std::string whereFound(const FamilyEvidence& e, bool russian) {
    const auto decimals = [](double v) {
        std::string t = std::to_string(std::lround(std::abs(v) * 10));
        t = (t.size() < 2 ? "0" : t.substr(0, t.size() - 1)) + "," + t.back();
        return t;
    };
    const double offset = 100 * (e.found / e.expected - 1);
    const std::string sign = std::lround(offset * 10) == 0 ? "" : offset < 0 ? "−" : "+";
    return decimals(e.found) + (russian ? " Гц (" : " Hz (") + sign + decimals(offset) + " %)";
}

} // namespace

std::string describeEvidence(const FamilyEvidence& e, bool russian) {
    const auto count = [russian](int found, int expected) {
        return std::to_string(found) + (russian ? " из " : " of ") + std::to_string(expected);
    };
    const std::string modulator = e.family == "inner" ? "Fr" : "Fq";
    std::string text = e.name + ": ";
    if (e.found > 0 && e.expected > 0) {
        text += whereFound(e, russian) + ", ";
    }
    text += count(e.harmonicsFound, e.harmonicsExpected) + (russian ? " гармоник" : " harmonics");
    if (e.harmonicsFound > 0) {
        const std::string db = std::to_string(std::lround(e.decibelsAboveFloor));
        text += russian ? ", на " + db + " дБ выше фона" : ", " + db + " dB above the floor";
    }
    if (e.sidebandsExpected > 0) {
        text += (russian ? "; боковые ±" : "; sidebands ±") + modulator + ": " +
                count(e.sidebandsFound, e.sidebandsExpected);
    }
    return text;
}

const char* verdictName(Verdict v) {
    return v == Verdict::Strong ? "strong" : v == Verdict::Weak ? "weak" : "none";
}

std::optional<double> refineShaftSpeed(const Spectrum& s, double typedFr) {
    if (!(typedFr > 0)) {
        return std::nullopt;
    }
    const std::size_t line = snapToPeak(s, typedFr, 0.05 * typedFr);
    const std::vector<double>& a = s.amplitude;
    if (line == 0 || line + 1 >= a.size() || !(a[line] > a[line - 1] && a[line] >= a[line + 1]) ||
        std::abs(s.frequency[line] - typedFr) > 0.05 * typedFr ||
        !(a[line] > kPeakOverFloor * noiseFloor(s, line))) {
        return std::nullopt;
    }
    return refinedFrequency(s, line);
}

} // namespace orbistan
