#include "spectrum/evidence.h"

#include "spectrum/peaks.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace orbistan {

namespace {

// The strongest peak within the tolerance of `frequency`, in dB above its floor; empty when
// none stands kFoundDecibels above it.
std::optional<double> lineAt(const Spectrum& s, double frequency) {
    if (!(frequency > s.frequency.front()) || !(frequency < s.frequency.back())) {
        return std::nullopt;
    }
    // A line's own width, and the little slip real bearings have.
    const double tolerance = std::max(1.5 * s.resolution, 0.005 * frequency);
    const std::size_t line = snapToPeak(s, frequency, tolerance);
    const std::vector<double>& a = s.amplitude;
    if (line == 0 || line + 1 >= a.size() || !(a[line] > a[line - 1] && a[line] >= a[line + 1]) ||
        std::abs(refinedFrequency(s, line) - frequency) > tolerance) {
        return std::nullopt;
    }
    const double floor = noiseFloor(s, line);
    if (!(floor > 0) || !(a[line] > 0)) {
        return std::nullopt;
    }
    const double db = 20 * std::log10(a[line] / floor);
    return db >= kFoundDecibels ? std::optional(db) : std::nullopt;
}

struct Family {
    const char* family;
    const char* name;
    double base;
    double modulator; // 0: no sidebands expected
    const char* modulatorName;
};

FamilyEvidence weigh(const Spectrum& s, const Family& f) {
    FamilyEvidence e{f.family, f.name};
    double decibels = 0;
    for (int h = 1; h <= kEvidenceHarmonics; ++h) {
        const double at = h * f.base;
        if (!(f.base > 0) || at >= s.frequency.back()) {
            break;
        }
        ++e.harmonicsExpected;
        const std::optional<double> found = lineAt(s, at);
        if (found) {
            ++e.harmonicsFound;
            decibels += *found;
        }
        if (f.modulator > 0) {
            for (const double side : {at - f.modulator, at + f.modulator}) {
                ++e.sidebandsExpected;
                e.sidebandsFound += lineAt(s, side).has_value();
            }
        }
    }
    if (e.harmonicsFound > 0) {
        e.decibelsAboveFloor = decibels / e.harmonicsFound;
    }
    if (e.harmonicsExpected > 0) {
        const double harmonics = static_cast<double>(e.harmonicsFound) / e.harmonicsExpected;
        const double sidebands = e.sidebandsExpected > 0
                                     ? static_cast<double>(e.sidebandsFound) / e.sidebandsExpected
                                     : 0;
        // Harmonics are the evidence; sidebands confirm it; the height above the floor says
        // how clearly (saturating at 30 dB).
        e.score = harmonics * (1 + 0.5 * sidebands) * std::min(e.decibelsAboveFloor, 30.0) / 30;
    }
    // Strong: most of the harmonics, well clear of the floor, the fundamental among them.
    const bool fundamental = e.harmonicsExpected > 0 && lineAt(s, f.base).has_value();
    if (fundamental && e.harmonicsFound >= 3 && e.decibelsAboveFloor >= 12) {
        e.verdict = Verdict::Strong;
    } else if (fundamental && e.harmonicsFound >= 2) {
        e.verdict = Verdict::Weak;
    }
    return e;
}

} // namespace

std::vector<FamilyEvidence> rankEvidence(const Spectrum& s, const SearchBases& b) {
    const Family families[] = {{"outer", "Fo", b.Fo, 0, ""},
                               {"inner", "Fi", b.Fi, b.Fr, "Fr"},
                               {"ball", "2·Fw", 2 * b.Fw, b.Fq, "Fq"},
                               {"cage", "Fq", b.Fq, 0, ""}};
    std::vector<FamilyEvidence> ranked;
    for (const Family& f : families) {
        ranked.push_back(weigh(s, f));
    }
    std::stable_sort(
        ranked.begin(), ranked.end(),
        [](const FamilyEvidence& x, const FamilyEvidence& y) { return x.score > y.score; });
    return ranked;
}

std::string describeEvidence(const FamilyEvidence& e, bool russian) {
    const auto count = [](int found, int expected) {
        return std::to_string(found) + " of " + std::to_string(expected);
    };
    const auto countRu = [](int found, int expected) {
        return std::to_string(found) + " из " + std::to_string(expected);
    };
    const std::string modulator = e.family == "inner" ? "Fr" : "Fq";
    std::string text = e.name + ": " +
                       (russian ? countRu(e.harmonicsFound, e.harmonicsExpected) + " гармоник"
                                : count(e.harmonicsFound, e.harmonicsExpected) + " harmonics");
    if (e.harmonicsFound > 0) {
        const std::string db = std::to_string(std::lround(e.decibelsAboveFloor));
        text += russian ? ", на " + db + " дБ выше фона" : ", " + db + " dB above the floor";
    }
    if (e.sidebandsExpected > 0) {
        text += (russian ? "; боковые ±" : "; sidebands ±") + modulator + ": " +
                (russian ? countRu : count)(e.sidebandsFound, e.sidebandsExpected);
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
