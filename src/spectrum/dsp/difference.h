#pragma once
// A spectrum against a baseline's (the same point measured before): how far each line has
// risen, in dB, and the peaks that have risen past an alarm level — what an analyst reads
// off a before-and-after overlay.

#include "spectrum/dsp/peaks.h"
#include "spectrum/signal/spectrum.h"

#include <vector>

namespace orbistan {

// The spectrum's lines in dB over the baseline's amplitude at the same frequency (between
// its lines, linearly), over the span both cover; a line of nothing counts as a millionth
// of the baseline's highest, so that no ratio is infinite. Units: «Разность, дБ».
Spectrum differenceSpectrum(const Spectrum& shown, const Spectrum& baseline);

struct RisenLine {
    double frequency = 0; // the peak's, refined
    double amplitude = 0;
    double before = 0;   // the baseline's there
    double decibels = 0; // how far it rose
};

// The highest `count` peaks of the spectrum that stand `alarmDecibels` or more above the
// baseline's highest line within a line of theirs, the most risen first.
std::vector<RisenLine> risenLines(const Spectrum& shown, const Spectrum& baseline,
                                  double alarmDecibels, std::size_t count = 200);

} // namespace orbistan
