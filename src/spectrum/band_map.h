#pragma once
// Which band's envelope shows a bearing's impacts best: a fast kurtogram over the 1/3-binary
// tree of bands (Antoni, "Fast computation of the kurtogram for the detection of transient
// faults", MSSP 21, 2007), judged not by the kurtosis of the band's signal, which a few
// isolated spikes drive up, but by the kurtosis of the band's squared-envelope spectrum,
// which only repetition raises: impacts that recur give lines, a lone spike a flat spectrum
// (the weakness of spectral kurtosis on these data shown by Smith and Randall, MSSP 64-65,
// 2015; the envelope spectrum's kurtosis as in the "protrugram" of Barszcz and JabŁoński,
// MSSP 25, 2011). The record is pre-whitened first, so that discrete frequencies beating in a
// band are not taken for impacts.

#include "spectrum/envelope.h"

#include <span>
#include <vector>

namespace orbistan {

struct BandMapLevel {
    double bandwidth = 0;         // Hz; band i spans [i·bandwidth, (i + 1)·bandwidth]
    std::vector<double> measures; // the kurtosis of each band's envelope spectrum
};

struct BandMap {
    std::vector<BandMapLevel> levels; // widest first
    Band best;
    double bestMeasure = 0;
};

// Envelope spectra are judged up to this modulation frequency when nothing else is known:
// above every defect frequency of the usual bearings at the usual speeds.
inline constexpr double kDefaultHighestModulation = 500;

// Bands of a half of the Nyquist frequency down to `narrowest` Hz (at least three times the
// highest fault frequency), each level a third or a half narrower than the last; the
// envelope spectra judged between 1 Hz and `highestModulation`. Throws SpectrumFileError
// for a record too short, SpectrumCancelled when asked to stop.
BandMap bandMap(std::span<const double> samples, double sampleRate, double highestModulation,
                const Progress& progress = {});

} // namespace orbistan
