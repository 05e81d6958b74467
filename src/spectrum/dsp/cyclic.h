#pragma once
// A record's second-order cyclostationarity, where a bearing's fault shows as a modulation of
// its random impacts rather than as a line: the spectral correlation by the fast spectral
// correlation of Antoni, Xin and Hamzaoui ("Fast computation of the spectral correlation",
// Mech. Syst. Signal Process. 92 (2017)): a short-time Fourier transform, and across its
// frames the Fourier transform of each carrier times the conjugate of the carrier p steps
// below it, which holds the cyclic frequencies near p carrier steps (p = 0 is the cyclic
// modulation spectrum of Antoni, "Cyclic spectral analysis of rolling-element bearing
// signals: facts and fictions", J. Sound Vib. 304 (2007)). Its spectral coherence (the
// correlation over the two carriers' powers) and the enhanced envelope spectrum: the
// coherence averaged over carriers.

#include "spectrum/dsp/envelope.h"

#include <span>
#include <string>
#include <vector>

namespace orbistan {

struct CoherenceMap {
    double carrierStep = 0; // Hz between carriers
    double cyclicStep = 0;  // Hz between cyclic frequencies
    std::size_t carriers = 0, cyclics = 0;
    std::size_t segments = 0; // averaged, half a segment apart
    // |spectral coherence| at (carrier c, cyclic k), row by carrier: coherence[c * cyclics + k];
    // the carrier is the middle of the two correlated; 0 where the record holds no power or
    // the pair would reach past the carriers. The cyclic frequency 0 (the power itself) is 1
    // wherever a carrier holds any.
    std::vector<float> coherence;
    float at(std::size_t carrier, std::size_t cyclic) const {
        return coherence[carrier * cyclics + cyclic];
    }
};

// The coherence of cyclic frequencies up to `cyclicTop` Hz, `resolution` Hz apart or a little
// finer (0, or a record too short for it: as fine as the record allows). The carriers are about 94
// Hz apart. The work is done segment by segment, so that memory does not grow with the record (a
// few megabytes at 48 kHz). Throws SpectrumFileError for a record too short for a few frames, or a
// top beyond what the rate holds.
CoherenceMap spectralCoherence(std::span<const double> samples, double sampleRate, double cyclicTop,
                               double resolution = 0, const Progress& progress = {});

// The enhanced envelope spectrum: the root mean square of the map's coherence over the
// carriers within the band (all of them for an empty band) that hold a pair at that cyclic
// frequency, against the cyclic frequency, the frequency 0 left out (its lines start at one
// cyclic step). Its `averages` say how far noise scatters in it, as for a spectrum's lines:
// each carrier's and segment's square is one of noise's exponential terms.
Spectrum enhancedEnvelopeSpectrum(const CoherenceMap& map, Band carriers = {});

// A point of the map as its read-out says it: "Циклическая 106,9 Гц · несущая 3000 Гц ·
// когерентность 0,231"; empty outside the map.
std::string coherenceCellText(const CoherenceMap& map, double cyclic, double carrier);
// What the map's colours measure, for its scale.
inline constexpr const char* kCoherenceMeasure = "Когерентность";

// The band of carriers whose modulation recurs most: of the bands of 4, 8, 16, … carriers
// (each half its width from the next) and all of them, the one whose enhanced envelope
// spectrum from 1 Hz to `cyclicTop` has the greatest kurtosis — lines, not a raised floor.
struct CyclicBand {
    Band band;
    double measure = 0; // the kurtosis
};
CyclicBand mostCyclicBand(const CoherenceMap& map, double cyclicTop);

} // namespace orbistan
