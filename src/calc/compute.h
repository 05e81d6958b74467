#pragma once
// One computation from the field texts to the rounded results, as the window's
// "ВЫЧИСЛИТЬ" and the command line's compute run it.

#include "calc/frequencies.h"
#include "calc/validate.h"

namespace orbistan {

struct ComputeOutcome {
    // Unreadable also covers readable inputs whose results do not fit a 64-bit real:
    // they are refused the same way, since no value could be shown.
    enum Kind { Done, Unreadable, OutOfRange } kind = Unreadable;
    Validation validation;
    Results results{}; // rounded to the precision; meaningful when Done
};

ComputeOutcome runComputation(const InputTexts& texts, int precision);

} // namespace orbistan
