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

#include "spectrum/dsp/envelope.h"
#include "spectrum/dsp/fft.h"

#include <span>
#include <string>
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

// A band of the map as its read-out says it: "Полоса 2000–4000 Гц · центр 3000 Гц · ширина
// 2000 Гц · эксцесс спектра огибающей 12,35".
std::string bandCellText(Band band, double measure);

// What the map's colours measure, for its scale.
inline constexpr const char* kBandMapMeasure = "Эксцесс спектра огибающей";

// The highest defect frequency assumed when the bearing is not known: above the inner race's
// of the usual bearings at the usual speeds.
inline constexpr double kDefaultHighestFault = 200;

// Bands of a half of the Nyquist frequency down to three times `highestFault` (a band must
// carry a fault's lines and their sidebands), each level a third or a half narrower than
// the last; each band's envelope spectrum judged from 1 Hz to three times `highestFault`.
// Throws SpectrumFileError for a record too short, SpectrumCancelled when asked to stop.
// The record pre-whitened (cepstral pre-whitening: each line of its spectrum made of
// magnitude one, its phase kept): what is left when a machine's discrete frequencies are
// taken out, its impacts sharpened. Its first samples.size() samples, in the buffer it was
// transformed in (no second copy of a long record).
fft::InPlace preWhitened(std::span<const double> samples);

BandMap bandMap(std::span<const double> samples, double sampleRate, double highestFault,
                const Progress& progress = {});

} // namespace orbistan
