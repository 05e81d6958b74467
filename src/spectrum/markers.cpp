#include "spectrum/markers.h"

#include <algorithm>

namespace orbistan {

const std::array<MarkerFamilyInfo, 6>& markerFamilies() {
    static const std::array<MarkerFamilyInfo, 6> kFamilies = {{
        {"Fo", "наружное кольцо", "Fr"},
        {"Fi", "внутреннее кольцо", "Fr"},
        {"Fw", "вращение тела качения", "Fq"},
        {"2·Fw", "тело качения", "Fq"},
        {"Fq", "сепаратор", ""},
        {"Fr", "вал", ""},
    }};
    return kFamilies;
}

std::vector<MarkerLine> markerLines(const SearchBases& b, const std::array<bool, 6>& families,
                                    int harmonics, int sidebands, double maxFrequency) {
    const double base[] = {b.Fo, b.Fi, b.Fw, 2 * b.Fw, b.Fq, b.Fr};
    const double modulator[] = {b.Fr, b.Fr, b.Fq, b.Fq, 0, 0};
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
                    lines.push_back({v, f, h, s});
                }
            }
        }
    }
    return lines;
}

MarkerStrokes markerStrokes(const std::vector<MarkerLine>& lines) {
    MarkerStrokes strokes;
    for (const MarkerLine& line : lines) {
        strokes[static_cast<std::size_t>((line.sideband != 0) * 6 + line.family)].push_back(
            line.frequency);
    }
    for (std::vector<double>& group : strokes) {
        std::sort(group.begin(), group.end());
    }
    return strokes;
}

} // namespace orbistan
