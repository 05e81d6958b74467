#include "spectrum/diagnosis/evidence.h"

#include "calc/numbers.h"
#include "spectrum/dsp/peaks.h"
#include "spectrum/dsp/statistics.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <optional>

namespace orbistan {

namespace {

// A line found where a family's harmonic is looked for.
struct Line {
    double frequency = 0; // refined between the lines
    double ratio = 0;     // its amplitude over the floor (the running median)
    double noise = 0;     // log10 of the chance that noise puts a line as clear in its window
    double decibels() const { return 20 * std::log10(ratio); }
};

// The rules, and where they come from. Envelope analysis reads a fault from a family of
// discrete lines at its characteristic frequency, its harmonics lined up on one fundamental
// that has slipped 1–2 % from the kinematic one, and the sidebands its modulation puts
// there (±Fr for the inner race, ±Fq for the rolling element) — Randall and Antoni,
// "Rolling element bearing diagnostics — a tutorial", MSSP 25 (2011). Smith and Randall's
// benchmark on the CWRU data (MSSP 64–65, 2015) calls a record diagnosable where those
// lines stand clearly above the rest, and warns of what else stands there: the shaft's
// harmonics, the mains, and other families' lines (ball faults showing the cage's, inner
// races' sidebands landing near other families). Hence each line is weighed against noise
// and against the discrete lines around it, and lines something else explains are not the
// family's.

// A line of the family stands at least 3 dB above the floor and clear of noise at 1 in 100
// in its window: below that, an analyst does not see a line at all.
constexpr double kLineRatio = std::numbers::sqrt2;
constexpr double kFoundSignificance = 2;
// An analyst calls a family a fault on sight when its lines stand about 10 dB above the
// floor on average (the severity bands of envelope analysis begin there); with the
// sidebands its modulation puts there, 6 dB is as telling.
constexpr double kStrongDecibels = 10;
constexpr double kModulatedDecibels = 6;
// How unlikely the family's lines are as noise or as discrete lines that happen to stand
// where its harmonics belong (−log10, Fisher's combination over the harmonics looked at):
// strong evidence beyond 1 in 10^8, worth a look beyond 1 in 100.
constexpr double kStrongScore = 8;
constexpr double kWeakScore = 2;

std::pair<std::size_t, std::size_t> linesWithin(const Spectrum& s, double low, double high) {
    const std::vector<double>& f = s.frequency;
    return {static_cast<std::size_t>(std::lower_bound(f.begin(), f.end(), low) - f.begin()),
            static_cast<std::size_t>(std::upper_bound(f.begin(), f.end(), high) - f.begin())};
}

// What a line of one spectrum is worked out to be — its floor, its frequency refined, how
// unlikely noise stands as clear in a window of so many lines — remembered: the families
// look at the same lines again and again.
class LineMemo {
public:
    double floor(const Spectrum& s, std::size_t i) {
        size(s);
        if (floors_[i] < 0) {
            floors_[i] = noiseFloor(s, i);
        }
        return floors_[i];
    }
    double refined(const Spectrum& s, std::size_t i) {
        size(s);
        if (!refinedKnown_[i]) {
            refined_[i] = refinedFrequency(s, i), refinedKnown_[i] = true;
        }
        return refined_[i];
    }
    double noise(double ratio, double averages, std::size_t i, std::size_t lines) {
        const auto [it, added] = noise_.try_emplace({i, lines}, 0.0);
        if (added) {
            it->second = log10HighestExceedance(ratio, averages, static_cast<double>(lines));
        }
        return it->second;
    }

private:
    void size(const Spectrum& s) {
        if (floors_.empty()) {
            floors_.assign(s.amplitude.size(), -1);
            refined_.assign(s.amplitude.size(), 0);
            refinedKnown_.assign(s.amplitude.size(), false);
        }
    }
    std::vector<double> floors_, refined_;
    std::vector<bool> refinedKnown_;
    std::map<std::pair<std::size_t, std::size_t>, double> noise_;
};

// The highest line of its own standing within [low, high] (where it stands between the
// lines, not the line it falls on: a window narrower than a line is as narrow as it says)
// that is not `taken`, and how unlikely noise would put one as clear among the lines searched.
template <typename Taken>
std::optional<Line> strongestLine(const Spectrum& s, double low, double high, Taken taken,
                                  LineMemo* memo = nullptr) {
    const std::vector<double>& a = s.amplitude;
    const auto [from, to] = linesWithin(s, low - s.resolution / 2, high + s.resolution / 2);
    std::optional<std::size_t> best;
    for (std::size_t i = from; i < to; ++i) {
        if (!ownPeak(a, i) || (best && a[i] <= a[*best])) {
            continue;
        }
        const double at = memo ? memo->refined(s, i) : refinedFrequency(s, i);
        if (at >= low && at <= high && !taken(at)) {
            best = i;
        }
    }
    if (!best) {
        return std::nullopt;
    }
    const double floor = memo ? memo->floor(s, *best) : noiseFloor(s, *best);
    if (!(floor > 0) || !(a[*best] > floor)) {
        return std::nullopt;
    }
    const double ratio = a[*best] / floor;
    if (memo) {
        return Line{memo->refined(s, *best), ratio,
                    memo->noise(ratio, s.averages, *best, to - from)};
    }
    return Line{refinedFrequency(s, *best), ratio,
                log10HighestExceedance(ratio, s.averages, static_cast<double>(to - from))};
}

// The lowest frequency a line can be told from the 0 Hz line and its leakage at.
double lowestResolvable(const Spectrum& s) {
    return 4 * s.resolution;
}

// How close two lines must be to be one, beside the spectrum's resolution.
double sameLine(const Spectrum& s, double frequency) {
    return std::max(s.resolution, 0.003 * frequency);
}

bool onComb(double frequency, double spacing, double tolerance) {
    if (!(spacing > 0)) {
        return false;
    }
    const double m = std::round(frequency / spacing);
    return m >= 1 && std::abs(frequency - m * spacing) <= tolerance;
}

// How far from where the kinematics put it a family's line is looked for: its slip (and the
// shaft speed's uncertainty) in proportion to its own frequency, but never closer than half
// a line, within which no line's place is known. The slow families (the cage's 12 Hz at
// 1,5 Hz lines) are looked for as near as the lines allow, not a line either side.
double slipReach(const Spectrum& s, double expected, double slip) {
    return std::max(expected * slip, 0.5 * s.resolution);
}

// Where a line known closely (the shaft's, the mains') is told from another: half a line.
double machineTolerance(const Spectrum& s, double frequency) {
    return std::max(0.5 * s.resolution, 0.001 * frequency);
}

// Whether a line stands at the mains' n-th harmonic. The grid holds its frequency to a few
// hundredths of a percent and a clear line is placed to a fraction of a line, so a line half
// a line off is no mains' line: a 6205 at 2000 rpm puts its Fo at 119,5 Hz, and the mains
// must not explain away the family's own fundamental.
bool onMains(const Spectrum& s, double frequency, double mains, double n) {
    return n >= 1 &&
           std::abs(frequency - n * mains) <= std::max(0.25 * s.resolution, 0.0005 * n * mains);
}

// The discrete lines of the spectrum: peaks of their own standing 3 dB above the floor or more,
// with how far. Their density is what a family's alignment is weighed against: a spectrum
// full of lines puts some near any frequency.
struct Discrete {
    std::vector<double> frequency, ratio;

    Discrete(const Spectrum& s, double top) {
        const auto [from, to] = linesWithin(s, lowestResolvable(s), top);
        for (std::size_t i = from; i < to; ++i) {
            if (ownPeak(s.amplitude, i)) {
                const double floor = noiseFloor(s, i);
                if (floor > 0 && s.amplitude[i] >= kLineRatio * floor) {
                    frequency.push_back(s.frequency[i]);
                    ratio.push_back(s.amplitude[i] / floor);
                }
            }
        }
    }

    // log10 of the chance that noise or another discrete line as tall as `l` stands, by
    // chance, within a window `width` Hz wide about it: from the density of such lines
    // between half and one and a half times its frequency, those `accounted` for (the
    // family's own, those the machine or a clearer family explains) left out.
    template <typename Accounted>
    double coincidence(const Line& l, double width, double lowest, double top,
                       Accounted accounted) const {
        const double low = std::max(lowest, 0.5 * l.frequency);
        const double high = std::min(top, 1.5 * l.frequency);
        double count = 0;
        for (std::size_t i = 0; i < frequency.size(); ++i) {
            const double f = frequency[i];
            count += f >= low && f <= high && ratio[i] >= l.ratio && !accounted(f);
        }
        const double stray = -std::expm1(-count / std::max(high - low, width) * width);
        return stray > 0 ? std::log10(stray + std::pow(10.0, l.noise)) : l.noise;
    }
};

// Where a family found at `fundamental` puts lines: its harmonics and, about each, the
// first two sidebands of its modulator.
std::vector<double> patternOf(const FaultFamilyInfo& f, const SearchBases& b, double fundamental) {
    std::vector<double> lines;
    const double modulator = f.modulator(b);
    for (int n = 0; n <= kEvidenceHarmonics + 1; ++n) {
        for (int m = modulator > 0 ? -2 : 0; m <= (modulator > 0 ? 2 : 0); ++m) {
            const double at = n * fundamental + m * modulator;
            if ((n > 0 || m > 0) && at > 0) {
                lines.push_back(at);
            }
        }
    }
    return lines;
}

// A family's harmonic as looked for: where its line was, how clear, and how wide the
// window it was looked for in.
struct Harmonic {
    int order = 0;
    double window = 0;
    std::optional<Line> line;
    double evidence = 0; // log10 of the chance the line is noise or a stray line (≤ 0)
};

struct Weighed {
    const FaultFamilyInfo* info = nullptr;
    FamilyEvidence evidence;
    std::vector<Harmonic> harmonics;
    double clarity = 0; // the score of all its lines, before any is claimed
};

struct Judging {
    const Spectrum& s;
    const SearchBases& b;
    double slip;
    double log10Tries; // paid from every score: the speeds the families were judged at
    double top;
    Discrete discrete;
    // What clearer families explain: lines, and combs of lines (spacing).
    std::vector<double> explainedLines, explainedCombs;

    std::vector<double> mains; // 50 or 60 Hz, where the spectrum shows them
    mutable LineMemo memo;

    // The lines every machine's spectrum has, faulty bearing or not: the shaft's harmonics,
    // of any order, and the mains' harmonics where the mains (or twice them, the magnetic
    // pull) stand out. A family's line where one of them stands is no evidence of it.
    bool machineLine(double frequency) const {
        const double tolerance = machineTolerance(s, frequency);
        return onComb(frequency, b.Fr, tolerance) ||
               std::any_of(mains.begin(), mains.end(), [&](double m) {
                   return onMains(s, frequency, m, std::round(frequency / m));
               });
    }

    // Set once the clearer families are judged: their lines are no longer looked at.
    bool skipExplained = false;

    // The clearest line in the window that neither the machine nor, once they are judged,
    // a clearer family explains.
    std::optional<Line> familyLine(double low, double high) const {
        return strongestLine(
            s, std::max(low, lowestResolvable(s)), high,
            [this](double f) { return machineLine(f) || (skipExplained && explained(f)); }, &memo);
    }

    bool explained(double frequency) const {
        const double near = sameLine(s, frequency);
        return std::any_of(explainedLines.begin(), explainedLines.end(),
                           [&](double e) { return std::abs(e - frequency) <= near; }) ||
               std::any_of(explainedCombs.begin(), explainedCombs.end(),
                           [&](double c) { return onComb(frequency, c, near); });
    }
};

// Fisher's combination of the lines' chances (log10 each, 0 for a line not found) over
// the harmonics looked at: −log10 of the chance that all of them stand as they do, in
// logarithms so that it ranks however clear the lines.
double combined(const std::vector<double>& log10Chances) {
    if (log10Chances.empty()) {
        return 0;
    }
    double x = 0;
    for (double l : log10Chances) {
        x -= l * std::numbers::ln10;
    }
    return -log10GammaQ(static_cast<double>(log10Chances.size()), x);
}

// The fundamental as the clearest of the harmonics places it: each harmonic is looked for
// within the slip of its kinematic frequency, and the clearest line found, divided by its
// order, is where the family's lines are then looked for. Zero when none stands out.
std::pair<double, int> anchor(const Judging& j, double base) {
    double best = kFoundSignificance, at = 0;
    int order = 0;
    for (int k = 1; k <= kEvidenceHarmonics && k * base < j.s.frequency.back(); ++k) {
        const double reach = slipReach(j.s, k * base, j.slip);
        const std::optional<Line> l = j.familyLine(k * base - reach, k * base + reach);
        if (l && -l->noise > best) {
            best = -l->noise;
            at = l->frequency / k;
            order = k;
        }
    }
    return {at, order};
}

void countSidebands(const Judging& j, double modulator, double centre, FamilyEvidence& e) {
    for (const double side : {centre - modulator, centre + modulator}) {
        ++e.sidebandsExpected;
        const std::optional<Line> l = j.familyLine(side - j.s.resolution, side + j.s.resolution);
        e.sidebandsFound += l && l->ratio >= kLineRatio && -l->noise >= kFoundSignificance;
    }
}

// How unlikely each harmonic found is as noise or a stray line (log10, into the harmonic),
// beside the discrete lines around it that nothing accounts for: its own lines (its
// harmonics as found, its sidebands where `fundamental` puts them) are no stray lines.
std::vector<double> alignment(const Judging& j, Weighed& w, double fundamental) {
    const Spectrum& s = j.s;
    std::vector<double> own = patternOf(*w.info, j.b, fundamental);
    for (const Harmonic& h : w.harmonics) {
        if (h.line) {
            own.push_back(h.line->frequency);
        }
    }
    const auto accounted = [&](double f) {
        return j.machineLine(f) || (j.skipExplained && j.explained(f)) ||
               std::any_of(own.begin(), own.end(),
                           [&](double o) { return std::abs(o - f) <= sameLine(s, f); });
    };
    std::vector<double> chances;
    for (Harmonic& h : w.harmonics) {
        if (h.line) {
            h.evidence =
                j.discrete.coincidence(*h.line, h.window, lowestResolvable(s), j.top, accounted);
        }
        chances.push_back(h.evidence);
    }
    return chances;
}

Weighed weigh(const Judging& j, const FaultFamilyInfo& f) {
    Weighed w{&f, {}, {}, 0};
    w.evidence.family = f.id;
    FamilyEvidence& e = w.evidence;
    const Spectrum& s = j.s;
    const double base = f.base(j.b), modulator = f.modulator(j.b);
    e.expected = base;
    if (!(base > 0)) {
        return w;
    }
    if (const double reach = slipReach(s, base, j.slip); reach > base * j.slip) {
        e.widenedWindow = 100 * reach / base;
    }
    const auto [fundamental, anchoredBy] = anchor(j, base);
    e.found = fundamental;
    for (int k = 1; k <= kEvidenceHarmonics && k * base < s.frequency.back(); ++k) {
        if (k * base < lowestResolvable(s)) {
            continue; // lost in the 0 Hz line at this resolution
        }
        // About k times the fundamental placed, or where it belongs when none was.
        const double centre = fundamental > 0 ? k * fundamental : k * base;
        const double reach = fundamental > 0 && k != anchoredBy
                                 ? std::max(s.resolution, 0.003 * centre)
                                 : slipReach(s, k * base, j.slip);
        w.harmonics.push_back({k, 2 * reach, j.familyLine(centre - reach, centre + reach)});
        if (modulator > 0) {
            countSidebands(j, modulator, centre, e);
        }
    }
    w.clarity = combined(alignment(j, w, fundamental > 0 ? fundamental : base));
    return w;
}

// What a family found explains of the other families' lines: its harmonics, their
// sidebands at its modulator, and for the outer race the lines at the cage's rate (Fo/Z):
// the elements are never quite alike, so each strikes the fault a little differently and
// the impacts recur, element by element, once a turn of the cage.
void explainBy(Judging& j, const Weighed& w) {
    const FamilyEvidence& e = w.evidence;
    for (const FoundLine& l : e.lines) {
        j.explainedLines.push_back(l.frequency);
    }
    if (e.verdict == Verdict::None || !(e.found > 0)) {
        return;
    }
    const std::vector<double> pattern = patternOf(*w.info, j.b, e.found);
    j.explainedLines.insert(j.explainedLines.end(), pattern.begin(), pattern.end());
    if (e.family == FaultFamily::Outer && j.b.Fq > 0) {
        j.explainedCombs.push_back(e.found / std::round(j.b.Fo / j.b.Fq));
    }
}

// The verdict on what is left of a family's lines once those the machine and clearer
// families explain are taken away: three times Fo is not twice a slipped Fi.
void judge(Judging& j, Weighed& w) {
    FamilyEvidence& e = w.evidence;
    std::vector<double> chances;
    double decibels = 0;
    bool first = false;
    e.harmonicsExpected = static_cast<int>(w.harmonics.size());
    for (const Harmonic& h : w.harmonics) {
        const bool own = h.line && !j.explained(h.line->frequency) && h.line->ratio >= kLineRatio &&
                         -h.line->noise >= kFoundSignificance;
        chances.push_back(own ? h.evidence : 0);
        if (own) {
            ++e.harmonicsFound;
            decibels += h.line->decibels();
            first |= h.order == 1;
            e.lines.push_back({h.order, h.line->frequency, h.line->decibels()});
        }
    }
    if (e.harmonicsFound == 0) {
        e.found = 0;
    }
    e.decibelsAboveFloor = e.harmonicsFound > 0 ? decibels / e.harmonicsFound : 0;
    e.score = std::max(0.0, combined(chances) - j.log10Tries);
    // The cage's own fault is rare: its lines are mostly the rolling element's modulation
    // or the outer race's element-to-element one, which clearer families explain first.
    // Strong only on four harmonics.
    const int strongHarmonics = e.family == FaultFamily::Cage ? 4 : 3;
    // Sidebands where the modulator puts them are the fault's own signature: with them,
    // lines of 6 dB are as telling as lines of 10 without.
    const bool modulated = w.info->sidebandsExpected && 2 * e.sidebandsFound >= e.sidebandsExpected;
    const double decibelsNeeded = modulated ? kModulatedDecibels : kStrongDecibels;
    if (first && e.harmonicsFound >= strongHarmonics && e.score >= kStrongScore &&
        e.decibelsAboveFloor >= decibelsNeeded) {
        e.verdict = Verdict::Strong;
    } else if (e.harmonicsFound >= 2 && e.score >= kWeakScore) {
        e.verdict = Verdict::Weak;
    }
    explainBy(j, w);
}

} // namespace

std::vector<FamilyEvidence> rankEvidence(const Spectrum& s, const SearchBases& b,
                                         double slipPercent, int tries) {
    double highest = 0;
    for (const FaultFamilyInfo& f : faultFamilies()) {
        highest = std::max(highest, f.base(b));
    }
    const double top = (kEvidenceHarmonics + 1) * highest * (1 + slipPercent / 100);
    Judging j{
        s,  b, slipPercent / 100, std::log10(std::max(1, tries)), top, Discrete(s, top), {}, {},
        {}, {}};
    for (const double mains : {50.0, 60.0}) {
        const std::vector<double>& lines = j.discrete.frequency;
        if (std::any_of(lines.begin(), lines.end(), [&](double f) {
                return onMains(s, f, mains, 1) || onMains(s, f, mains, 2);
            })) {
            j.mains.push_back(mains);
        }
    }
    std::vector<Weighed> weighed;
    for (const FaultFamilyInfo& f : faultFamilies()) {
        weighed.push_back(weigh(j, f));
    }
    j.skipExplained = true;
    // The clearest family, by all the lines it found, first explains what it can; the cage
    // last, its lines most often another family's.
    std::stable_sort(weighed.begin(), weighed.end(), [](const Weighed& x, const Weighed& y) {
        const bool xc = x.info->id == FaultFamily::Cage, yc = y.info->id == FaultFamily::Cage;
        return xc != yc ? yc : x.clarity > y.clarity;
    });
    std::vector<FamilyEvidence> ranked;
    for (Weighed& w : weighed) {
        // Looked at again without what the clearer families explain: a slipped Fi's window
        // may hold three times Fo, taller than anything of its own.
        w = weigh(j, *w.info);
        judge(j, w);
        ranked.push_back(w.evidence);
    }
    std::stable_sort(ranked.begin(), ranked.end(),
                     [](const FamilyEvidence& x, const FamilyEvidence& y) {
                         return x.verdict != y.verdict ? x.verdict > y.verdict : x.score > y.score;
                     });
    FamilyEvidence& first = ranked.front();
    first.cageModulation = first.family == FaultFamily::Cage && first.verdict != Verdict::None;
    return ranked;
}

double foundOrExpected(const FamilyEvidence& e) {
    return e.found > 0 ? e.found : e.expected;
}

std::optional<FoundLine> fundamentalLine(const Spectrum& spectrum, const FamilyEvidence& e,
                                         double slipPercent) {
    for (const FoundLine& l : e.lines) {
        if (l.order == 1) {
            return l;
        }
    }
    if (!(e.expected > 0)) {
        return std::nullopt;
    }
    const double reach = slipReach(spectrum, e.expected, slipPercent / 100);
    const std::optional<Line> l =
        strongestLine(spectrum, std::max(e.expected - reach, lowestResolvable(spectrum)),
                      e.expected + reach, [](double) { return false; });
    if (!l) {
        return std::nullopt;
    }
    return FoundLine{1, l->frequency, l->decibels()};
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
    const FaultFamilyInfo& info = faultFamily(e.family);
    std::string text = std::string(info.symbol) + ": ";
    if (e.found > 0 && e.expected > 0) {
        text += whereFound(e, russian) + ", ";
    }
    text += count(e.harmonicsFound, e.harmonicsExpected) + (russian ? " гармоник" : " harmonics");
    if (e.harmonicsFound > 0) {
        const std::string db = std::to_string(std::lround(e.decibelsAboveFloor));
        text += russian ? ", на " + db + " дБ выше фона" : ", " + db + " dB above the floor";
    }
    if (e.sidebandsExpected > 0) {
        text += (russian ? "; боковые ±" : "; sidebands ±") + std::string(info.modulatorSymbol) +
                ": " + count(e.sidebandsFound, e.sidebandsExpected);
    }
    if (e.widenedWindow > 0) {
        const std::string window = std::to_string(std::lround(e.widenedWindow * 10));
        text += (russian ? "; окно ±" : "; window ±") +
                (window.size() < 2 ? "0" : window.substr(0, window.size() - 1)) + "," +
                window.back() + " %";
    }
    if (e.cageModulation) {
        text += russian ? "; " + std::string(kCageModulation)
                        : std::string("; rolling element: the cage's modulation");
    }
    return text;
}

std::string foundLinesText(const FamilyEvidence& e) {
    std::string text;
    for (const FoundLine& l : e.lines) {
        text += (text.empty() ? "" : " · ") + harmonicName(l.order, faultFamily(e.family).symbol) +
                " " + formatGeneral(std::round(l.frequency * 10) / 10) + " Гц +" +
                std::to_string(std::lround(l.decibels)) + " дБ";
    }
    return text;
}

} // namespace orbistan
