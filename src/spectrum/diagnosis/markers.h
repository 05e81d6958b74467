#pragma once
// The lines the spectrum window draws for the current bearing: each family's harmonics
// and, around each harmonic, the sidebands of the frequency that modulates it.

#include "search/search.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orbistan {

// The families in the order they are listed and coloured: Fo, Fi, Fw, 2·Fw, Fq, Fr.
enum MarkerFamily { MarkFo, MarkFi, MarkFw, Mark2Fw, MarkFq, MarkFr };

struct MarkerFamilyInfo {
    std::string_view name;      // "2·Fw"
    std::string_view meaning;   // what it is the frequency of, for the legend
    std::string_view modulator; // the frequency of its sidebands, empty when none
    std::uint32_t rgb;          // its colour, 0xRRGGBB
};
const std::array<MarkerFamilyInfo, 6>& markerFamilies();

struct MarkerLine {
    double frequency = 0;
    int family = 0;
    int harmonic = 1; // 1, 2, …
    int sideband = 0; // −k … +k, 0 for the harmonic itself
    // Where the kinematics put a harmonic of a family the diagnosis found elsewhere: drawn
    // faint beside the line found, named by it.
    bool computed = false;
    // How much of its frequency slips with the bearing (the harmonic of a fault family's
    // kinematic frequency), in Hz; none for the shaft's lines and a family found where it is.
    double slipping = 0;
};

// A family the diagnosis found: its lines stand at `found`, not where the kinematics put
// them.
struct FoundFamily {
    int marker = 0; // its marker family
    double found = 0;
};

// The lines of the families switched on, up to maxFrequency: the fault families' as their
// table (families.h) says; Fw, like 2·Fw, modulated by the cage; Fr without sidebands.
// `judged`: the diagnosis judged the fault families, so that their lines stand where each
// was found or where it is not, and slip no more.
std::vector<MarkerLine> markerLines(const SearchBases& b, const std::array<bool, 6>& families,
                                    int harmonics, int sidebands, double maxFrequency,
                                    const std::vector<FoundFamily>& found = {},
                                    bool judged = false);

// The lines as they are drawn: per family its harmonics, then per family its sidebands,
// then per family the computed harmonics of a family found elsewhere; each group in
// ascending order (a family's strokes are one graph).
using MarkerStrokes = std::array<std::vector<double>, 18>;
MarkerStrokes markerStrokes(const std::vector<MarkerLine>& lines);

// A line's name as the peak table writes explanations: "Fo", "2·Fo", "Fi+Fr", "3·Fi−2·Fr".
std::string markerName(const MarkerLine& line);

// The line nearest to `frequency` within its reach: the spectrum's resolution, and the slip
// of the part of its frequency that slips (a peak 2 % from a fault's line it was found
// exactly on is no line of that fault). Computed lines beside a found family's are not
// looked at.
std::optional<MarkerLine> nearestMarker(const std::vector<MarkerLine>& lines, double frequency,
                                        double resolution, double slipPercent = 0);

} // namespace orbistan
