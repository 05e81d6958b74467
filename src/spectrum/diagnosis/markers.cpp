#include "spectrum/diagnosis/markers.h"

#include "spectrum/diagnosis/families.h"

#include <algorithm>
#include <cmath>

namespace orbistan {

const std::array<MarkerFamilyInfo, 6>& markerFamilies() {
    static const std::array<MarkerFamilyInfo, 6> kFamilies = {{
        {"Fo", "наружное кольцо", "Fr", 0x0046c8},
        {"Fi", "внутреннее кольцо", "Fr", 0x008c3c},
        {"Fw", "вращение тела качения", "Fq", 0xc800c8},
        {"2·Fw", "тело качения", "Fq", 0x7828a0},
        {"Fq", "сепаратор", "", 0xe67800},
        {"Fr", "вал", "", 0x5a5a5a},
    }};
    return kFamilies;
}

std::vector<MarkerLine> markerLines(const SearchBases& b, const std::array<bool, 6>& families,
                                    int harmonics, int sidebands, double maxFrequency,
                                    const std::vector<FoundFamily>& found, bool judged) {
    double base[] = {0, 0, b.Fw, 0, 0, b.Fr};
    double modulator[] = {0, 0, b.Fq, 0, 0, 0};
    bool exact[] = {false, false, false, false, false, true}; // the shaft's speed is measured
    for (const FaultFamilyInfo& f : faultFamilies()) {
        base[f.marker] = f.base(b);
        modulator[f.marker] = f.modulator(b);
        exact[f.marker] = judged;
    }
    double kinematic[6];
    std::copy(std::begin(base), std::end(base), std::begin(kinematic));
    for (const FoundFamily& f : found) {
        if (f.marker >= 0 && f.marker < 6 && f.found > 0) {
            base[f.marker] = f.found;
        }
    }
    std::vector<MarkerLine> lines;
    for (int f = 0; f < 6; ++f) {
        if (!families[f] || !(base[f] > 0)) {
            continue;
        }
        const int k = modulator[f] > 0 ? sidebands : 0;
        for (int h = 1; h <= harmonics; ++h) {
            for (int s = -k; s <= k; ++s) {
                const double v = h * base[f] + s * modulator[f];
                if (v > 0 && v <= maxFrequency) {
                    const bool fixed = exact[f] || base[f] != kinematic[f];
                    lines.push_back({v, f, h, s, false, fixed ? 0 : h * base[f]});
                }
            }
            if (base[f] != kinematic[f] && h * kinematic[f] <= maxFrequency) {
                lines.push_back({h * kinematic[f], f, h, 0, true});
            }
        }
    }
    return lines;
}

MarkerStrokes markerStrokes(const std::vector<MarkerLine>& lines) {
    MarkerStrokes strokes;
    for (const MarkerLine& line : lines) {
        const int kind = line.computed ? 2 : line.sideband != 0 ? 1 : 0;
        strokes[static_cast<std::size_t>(kind * 6 + line.family)].push_back(line.frequency);
    }
    for (std::vector<double>& group : strokes) {
        std::sort(group.begin(), group.end());
    }
    return strokes;
}

std::string markerName(const MarkerLine& line) {
    const MarkerFamilyInfo& family = markerFamilies()[static_cast<std::size_t>(line.family)];
    std::string name = harmonicName(line.harmonic, family.name);
    if (line.sideband != 0) {
        name += (line.sideband > 0 ? "+" : "−") +
                harmonicName(std::abs(line.sideband), family.modulator);
    }
    return name;
}

std::optional<MarkerLine> nearestMarker(const std::vector<MarkerLine>& lines, double frequency,
                                        double resolution, double slipPercent) {
    std::optional<MarkerLine> best;
    for (const MarkerLine& line : lines) {
        const double distance = std::abs(line.frequency - frequency);
        if (!line.computed && distance <= resolution + line.slipping * slipPercent / 100 &&
            (!best || distance < std::abs(best->frequency - frequency))) {
            best = line;
        }
    }
    return best;
}

} // namespace orbistan
