#pragma once
// What the numbers of a recording or a spectrum measure, carried beside them: the readers
// set it from what a file states, the transforms from what they did, and every caption is
// computed from it, so that no unit is ever read back out of a caption.

#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace orbistan {

enum class Quantity { Unknown, Acceleration, Velocity, Displacement, SquaredEnvelope };
// Other: a unit the program does not convert, kept as the file spelled it.
enum class Unit { Unknown, G, MetrePerSecond2, MillimetrePerSecond, Micrometre, Other };
// Peak and Rms are the transform's choices; Unknown is what a file that says nothing gives.
enum class Scaling { Peak, Rms, Unknown };

struct Units {
    Quantity quantity = Quantity::Unknown;
    Unit unit = Unit::Unknown;
    Scaling scaling = Scaling::Unknown;
    std::string unitText; // Other's spelling
    std::string label;    // a file's own name for the quantity, used instead of ours
    bool operator==(const Units&) const = default;
};

// The unit a text names ("g", "m/s^2", "мм/с", "µm", …), with the quantity it implies;
// Other for any other non-empty text.
Units unitsFromText(std::string_view unitText);

// A caption as "Ускорение, пик, g": the caption of a file's column header "Скорость, мм/с"
// or "Acceleration [g]" split into its label and its unit.
Units unitsFromCaption(std::string_view caption);

// "Амплитуда, пик", "Скорость, СКЗ, мм/с": the label (or the quantity's name), the scaling
// and the unit, each where known.
std::string amplitudeCaption(const Units& u);

// How a unit is named on its own: "g", "м/с²", "мм/с", "мкм", the file's text, or "".
std::string unitName(const Units& u);

// How amplitudes stand on the value axis: as they are, on a logarithmic axis, or in decibels
// re 1 of their unit (20·lg A).
enum class AmplitudeScale { Linear, Logarithmic, Decibel };

// The amplitude as the axis of that scale carries it: in decibels, 20·lg A; nothing (0 and
// below) at the floor, which a logarithm has.
double onScale(double amplitude, AmplitudeScale scale);
inline constexpr double kDecibelFloor = -240;
inline constexpr double kLogarithmicFloor = 1e-12;

// The value axis for amplitudes from `least` to `greatest` (as they are): from 0 a little
// above the greatest; on the logarithmic and the decibel scales at most 120 dB (six decades)
// below it, from the least where that is higher.
std::pair<double, double> valueAxisOnScale(double least, double greatest, AmplitudeScale scale);

// The value axis's caption on that scale: in decibels, «…, дБ отн. 1 g».
std::string captionOnScale(const Units& u, AmplitudeScale scale);

// The factor that turns an acceleration in this unit into mm/s², when the unit is known
// as one of acceleration; none for anything else.
std::optional<double> accelerationToMillimetres(const Units& u);

// The units of a spectrum divided by 2πf: velocity in mm/s, the scaling kept.
Units velocityUnits(const Units& acceleration);

// Applied only where the file names no unit: the file's word wins.
Units withStatedUnit(Units u, Unit stated);

} // namespace orbistan
