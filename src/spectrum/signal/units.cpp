#include "spectrum/signal/units.h"

#include "spectrum/signal/vocabulary.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace orbistan {

namespace {

struct UnitSpelling {
    std::string_view text;
    Unit unit;
    Quantity quantity;
};

// Compared after trimming, ASCII letters lower-cased.
constexpr std::array<UnitSpelling, 20> kSpellings = {{
    {"g", Unit::G, Quantity::Acceleration},
    {"g's", Unit::G, Quantity::Acceleration},
    {"gs", Unit::G, Quantity::Acceleration},
    {"m/s^2", Unit::MetrePerSecond2, Quantity::Acceleration},
    {"m/s2", Unit::MetrePerSecond2, Quantity::Acceleration},
    {"m/s²", Unit::MetrePerSecond2, Quantity::Acceleration},
    {"m/s**2", Unit::MetrePerSecond2, Quantity::Acceleration},
    {"m/sec^2", Unit::MetrePerSecond2, Quantity::Acceleration},
    {"м/с²", Unit::MetrePerSecond2, Quantity::Acceleration},
    {"м/с2", Unit::MetrePerSecond2, Quantity::Acceleration},
    {"м/с^2", Unit::MetrePerSecond2, Quantity::Acceleration},
    {"mm/s", Unit::MillimetrePerSecond, Quantity::Velocity},
    {"mm/sec", Unit::MillimetrePerSecond, Quantity::Velocity},
    {"мм/с", Unit::MillimetrePerSecond, Quantity::Velocity},
    {"um", Unit::Micrometre, Quantity::Displacement},
    {"µm", Unit::Micrometre, Quantity::Displacement},
    {"μm", Unit::Micrometre, Quantity::Displacement},
    {"мкм", Unit::Micrometre, Quantity::Displacement},
    {"micron", Unit::Micrometre, Quantity::Displacement},
    {"microns", Unit::Micrometre, Quantity::Displacement},
}};

std::string_view trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
        return c < 0x80 ? static_cast<char>(std::tolower(c)) : static_cast<char>(c);
    });
    return out;
}

} // namespace

Units unitsFromText(std::string_view unitText) {
    Units u;
    const std::string_view text = trim(unitText);
    if (text.empty()) {
        return u;
    }
    const std::string key = lowerAscii(text);
    for (const UnitSpelling& s : kSpellings) {
        if (key == s.text) {
            u.unit = s.unit;
            u.quantity = s.quantity;
            return u;
        }
    }
    u.unit = Unit::Other;
    u.unitText = text;
    return u;
}

Units unitsFromCaption(std::string_view caption) {
    caption = trim(caption);
    // "Acceleration [g]", "Acceleration (g)": the unit in brackets at the end.
    if (!caption.empty() && (caption.back() == ']' || caption.back() == ')')) {
        const char open = caption.back() == ']' ? '[' : '(';
        const std::size_t at = caption.rfind(open);
        if (at != std::string_view::npos) {
            Units u = unitsFromText(caption.substr(at + 1, caption.size() - at - 2));
            if (u.unit != Unit::Other) {
                u.label = trim(caption.substr(0, at));
                return u;
            }
        }
    }
    // "Скорость, мм/с": a known unit after the last comma; anything else stays the label.
    const std::size_t comma = caption.rfind(',');
    if (comma != std::string_view::npos) {
        Units u = unitsFromText(caption.substr(comma + 1));
        if (u.unit != Unit::Other && u.unit != Unit::Unknown) {
            u.label = trim(caption.substr(0, comma));
            return u;
        }
    }
    Units u;
    u.label = caption;
    return u;
}

std::string unitName(const Units& u) {
    switch (u.unit) {
    case Unit::G:
    case Unit::MetrePerSecond2:
    case Unit::MillimetrePerSecond:
        return std::string(termOf(kStatedUnitTerms, u.unit).label);
    case Unit::Micrometre:
        return "мкм";
    case Unit::Other:
        return u.unitText;
    case Unit::Unknown:
        break;
    }
    return {};
}

std::string amplitudeCaption(const Units& u) {
    static constexpr std::array<const char*, 5> kQuantities = {"Амплитуда", "Ускорение", "Скорость",
                                                               "Перемещение", "Огибающая²"};
    std::string caption =
        u.label.empty() ? kQuantities[static_cast<std::size_t>(u.quantity)] : u.label;
    if (u.scaling != Scaling::Unknown) {
        caption += ", " + std::string(termOf(kScalingTerms, u.scaling).phrase());
    }
    if (const std::string unit = unitName(u); !unit.empty()) {
        caption += ", " + unit;
    }
    return caption;
}

std::optional<double> accelerationToMillimetres(const Units& u) {
    if (u.quantity == Quantity::SquaredEnvelope) {
        return std::nullopt; // a squared envelope divided by 2πf means nothing
    }
    switch (u.unit) {
    case Unit::G:
        return 9806.65; // standard gravity in mm/s²
    case Unit::MetrePerSecond2:
        return 1000;
    default:
        return std::nullopt;
    }
}

Units velocityUnits(const Units& acceleration) {
    Units v;
    v.quantity = Quantity::Velocity;
    v.unit = Unit::MillimetrePerSecond;
    v.scaling = acceleration.scaling;
    return v;
}

Units withStatedUnit(Units u, Unit stated) {
    if (u.unit != Unit::Unknown || stated == Unit::Unknown ||
        u.quantity == Quantity::SquaredEnvelope) {
        return u;
    }
    u.unit = stated;
    u.quantity = stated == Unit::MillimetrePerSecond ? Quantity::Velocity : Quantity::Acceleration;
    return u;
}

double onScale(double amplitude, AmplitudeScale scale) {
    if (scale == AmplitudeScale::Linear) {
        return amplitude;
    }
    if (scale == AmplitudeScale::Logarithmic) {
        return amplitude > 0 ? amplitude : kLogarithmicFloor;
    }
    return amplitude > 0 ? std::max(20 * std::log10(amplitude), kDecibelFloor) : kDecibelFloor;
}

std::pair<double, double> valueAxisOnScale(double least, double greatest, AmplitudeScale scale) {
    if (scale == AmplitudeScale::Linear || !(greatest > 0)) {
        const double bottom = std::min(0.0, least);
        const double top = greatest > bottom ? greatest : bottom + 1;
        return {bottom, top + 0.08 * (top - bottom)};
    }
    const double bottom = std::max(least, greatest * 1e-6);
    if (scale == AmplitudeScale::Logarithmic) {
        return {bottom / 1.5, greatest * 1.5};
    }
    return {onScale(bottom, scale) - 3, onScale(greatest, scale) + 6};
}

std::string captionOnScale(const Units& u, AmplitudeScale scale) {
    if (scale != AmplitudeScale::Decibel) {
        return amplitudeCaption(u);
    }
    Units bare = u; // the unit moves into the reference
    bare.unit = Unit::Unknown;
    bare.unitText.clear();
    const std::string unit = unitName(u);
    return amplitudeCaption(bare) + ", дБ отн. 1" + (unit.empty() ? "" : " " + unit);
}

} // namespace orbistan
