#pragma once
// Reading and validating the bearing inputs before a computation.

#include <array>
#include <string>
#include <vector>

namespace orbistan {

// The six input fields in the order the snapshot keeps them.
enum InputField { InZ, InFr, InDw, InD, Ind, InA, InputFieldCount };

inline constexpr int kMultiplierCount = 28;

struct BearingInputs {
    double Z = 0, Fr = 0, dw = 0, a = 0, D = 0, d = 0;
    double Dm = 0; // (D + d) / 2, stored before use
    // Two multipliers per sideband row, in the order of the result table (k1, k2, k1, k2, ...).
    std::array<double, kMultiplierCount> multipliers{};
};

// The range warnings in the order they are shown.
enum class RangeWarning {
    OuterNotGreater, // D <= d
    NegativeAngle,   // a < 0
    NotPositive,     // Z, Fr, dw, D or d <= 0
};

struct InputTexts {
    std::array<std::string, InputFieldCount> fields; // Z, Fr, dw, D, d, a
    std::array<std::string, kMultiplierCount> multipliers;
};

using InputSnapshot = std::array<std::string, InputFieldCount>;

struct Validation {
    enum Outcome { Valid, Unreadable, OutOfRange } outcome = Unreadable;
    BearingInputs inputs;               // meaningful unless Unreadable
    std::vector<RangeWarning> warnings; // for OutOfRange, in showing order
    InputSnapshot snapshot;             // taken whatever the outcome
};

Validation readAndValidate(const InputTexts& texts);

// True when the current field texts are those of the snapshot (after cut and comma fix).
bool snapshotMatches(const InputSnapshot& snapshot, const InputSnapshot& currentTexts);

} // namespace orbistan
