#include "calc/compute.h"

namespace orbistan {

ComputeOutcome runComputation(const InputTexts& texts, int precision) {
    ComputeOutcome out;
    out.validation = readAndValidate(texts);
    switch (out.validation.outcome) {
    case Validation::Unreadable:
        out.kind = ComputeOutcome::Unreadable;
        return out;
    case Validation::OutOfRange:
        out.kind = ComputeOutcome::OutOfRange;
        return out;
    case Validation::Valid:
        break;
    }
    const std::optional<Results> raw = computeFrequencies(out.validation.inputs);
    if (!raw) {
        out.kind = ComputeOutcome::Unreadable;
        return out;
    }
    out.results = roundResults(*raw, precision);
    out.kind = ComputeOutcome::Done;
    return out;
}

} // namespace orbistan
