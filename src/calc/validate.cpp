#include "calc/validate.h"

#include "calc/numbers.h"

#include <optional>

namespace orbistan {

Validation readAndValidate(const InputTexts& texts) {
    Validation v;
    for (int i = 0; i < InputFieldCount; ++i) {
        v.snapshot[i] = fieldNumberText(texts.fields[i]);
    }

    // Reading order: Z, Fr, dw, a, D, d, then the multipliers.
    BearingInputs& in = v.inputs;
    const std::pair<InputField, double*> order[] = {{InZ, &in.Z}, {InFr, &in.Fr}, {InDw, &in.dw},
                                                    {InA, &in.a}, {InD, &in.D},   {Ind, &in.d}};
    for (const auto& [field, target] : order) {
        const std::optional<double> value = readNumber(v.snapshot[field]);
        if (!value) {
            v.outcome = Validation::Unreadable;
            return v;
        }
        *target = *value;
    }
    for (int i = 0; i < kMultiplierCount; ++i) {
        const std::optional<double> value = readNumber(fieldNumberText(texts.multipliers[i]));
        if (!value) {
            v.outcome = Validation::Unreadable;
            return v;
        }
        in.multipliers[i] = *value;
    }

    in.Dm = static_cast<double>((static_cast<long double>(in.D) + in.d) / 2);

    if (!(in.D > in.d)) {
        v.warnings.push_back(RangeWarning::OuterNotGreater);
    }
    if (in.a < 0) {
        v.warnings.push_back(RangeWarning::NegativeAngle);
    }
    if (!(in.Z > 0 && in.Fr > 0 && in.dw > 0 && in.D > 0 && in.d > 0)) {
        v.warnings.push_back(RangeWarning::NotPositive);
    }
    v.outcome = v.warnings.empty() ? Validation::Valid : Validation::OutOfRange;
    return v;
}

bool snapshotMatches(const InputSnapshot& snapshot, const InputSnapshot& currentTexts) {
    for (int i = 0; i < InputFieldCount; ++i) {
        if (fieldNumberText(currentTexts[i]) != snapshot[i]) {
            return false;
        }
    }
    return true;
}

} // namespace orbistan
