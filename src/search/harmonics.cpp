#include "search/harmonics.h"

#include "calc/numbers.h"

namespace orbistan {

namespace {

struct Heads {
    const char* name;
    const char* harmonicPlain;
    const char* harmonicRounded;
    const char* subPlain;
    const char* subRounded;
};

// The head labels differ between the passes; their leading blanks are part of them.
constexpr Heads kHeads[7] = {
    {"Fo", "  Fo=", "  Fo=", "   Fo=", "  Fo="},
    {"Fi", "  Fi=", "  Fi=", "   Fi=", "   Fi="},
    {"Fw", "  Fw=", "  Fw=", "   Fw=", "  Fw="},
    {"Fq", " Fq=", " Fq=", "   Fq=", " Fq="},
    {"Fo*", " Fo*=", "  Fo*=", "   Fo*=", "  Fo*="},
    {"Fi*", " Fi*=", "  Fi*=", "   Fi*=", "  Fi*="},
    {"Fw*", " Fw*=", "  Fw*=", "   Fw*=", "  Fw*="},
};

} // namespace

std::array<std::string, 10> harmonicCaptions(int which, double F, bool sub, int precision) {
    const Heads& h = kHeads[which];
    const bool rounded = precision > 1;
    std::array<std::string, 10> lines;
    lines[0] = std::string(sub ? (rounded ? h.subRounded : h.subPlain)
                               : (rounded ? h.harmonicRounded : h.harmonicPlain)) +
               formatGeneral(roundToPrecision(F, precision));
    for (int k = 2; k <= 10; ++k) {
        const long double wide =
            sub ? static_cast<long double>(F) / k : static_cast<long double>(F) * k;
        const std::string label = (sub ? "1/" : "") + std::to_string(k) + h.name + "=";
        lines[k - 1] =
            label + formatGeneral(roundToPrecision(static_cast<double>(wide), precision));
    }
    return lines;
}

// The bounds and steps are extended constants, as the comparisons and sums are made in
// extended precision on the value read from the field.
double toleranceUp(double t) {
    const long double x = t;
    if (x >= 10.0L) {
        return 0.001;
    }
    if (x >= 0.9L && x < 1.0L) {
        return 1;
    }
    if (x >= 0.09L && x < 0.1L) {
        return 0.1;
    }
    if (x >= 0.009L && x < 0.01L) {
        return 0.01;
    }
    if (x < 0.001L) {
        return 0.001;
    }
    if (x > 0.9L && x < 10.0L) {
        return static_cast<double>(x + 1.0L);
    }
    if (x > 0.09L && x < 0.9L) {
        return static_cast<double>(x + 0.1L);
    }
    if (x > 0.009L && x < 0.09L) {
        return static_cast<double>(x + 0.01L);
    }
    if (x < 0.009L) {
        return static_cast<double>(x + 0.001L);
    }
    return t;
}

double toleranceDown(double t) {
    if (t > 10.0L) {
        return 10;
    }
    if (t >= 1.0L && t < 2.0L) {
        return 0.9;
    }
    if (t >= 0.1L && t < 0.2L) {
        return 0.09;
    }
    if (t >= 0.01L && t < 0.02L) {
        return 0.009;
    }
    // Each step stores its result before the next test, as the field's value is kept.
    if (t > 1.0L && t <= 10.0L) {
        t = static_cast<double>(t - 1.0L);
    }
    if (t > 0.1L && t < 1.0L) {
        t = static_cast<double>(t - 0.1L);
    }
    if (t > 0.01L && t < 0.1L) {
        t = static_cast<double>(t - 0.01L);
    }
    if (t > 0.001L && t < 0.01L) {
        t = static_cast<double>(t - 0.001L);
    }
    if (t <= 0.001L) {
        t = 10;
    }
    return t;
}

} // namespace orbistan
