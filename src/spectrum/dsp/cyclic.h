#pragma once
// A record's second-order cyclostationarity, where a bearing's fault shows as a modulation of
// its random impacts rather than as a line: the cyclic modulation spectrum — the spectral
// correlation estimated by the Fourier transform, across the frames of a short-time Fourier
// transform, of each carrier's squared magnitude (Antoni, "Cyclic spectral analysis of
// rolling-element bearing signals: facts and fictions", J. Sound Vib. 304 (2007); the first
// step of Antoni, Xin and Hamzaoui, "Fast computation of the spectral correlation", Mech.
// Syst. Signal Process. 92 (2017)) — its spectral coherence (each carrier's cyclic content
// over its power), and the enhanced envelope spectrum: the coherence averaged over carriers.

#include "spectrum/dsp/envelope.h"

#include <span>
#include <vector>

namespace orbistan {

struct CoherenceMap {
    double carrierStep = 0; // Hz between carriers
    double cyclicStep = 0;  // Hz between cyclic frequencies
    std::size_t carriers = 0, cyclics = 0;
    // |spectral coherence| at (carrier c, cyclic k), row by carrier: coherence[c * cyclics + k];
    // the cyclic frequency 0 (the power itself) is 1 wherever a carrier holds any.
    std::vector<float> coherence;
    float at(std::size_t carrier, std::size_t cyclic) const {
        return coherence[carrier * cyclics + cyclic];
    }
};

// The coherence of cyclic frequencies up to `cyclicTop` Hz. The carriers are about 94 Hz
// apart (a Hann window of a power of two, three in four of it shared by the next); the frames
// step as often as the cyclic frequencies need. Throws SpectrumFileError for a record too
// short for a cyclic frequency of a whole period, or a top beyond what the rate holds.
CoherenceMap spectralCoherence(std::span<const double> samples, double sampleRate, double cyclicTop,
                               const Progress& progress = {});

// The enhanced envelope spectrum: the map's coherence averaged over the carriers within the
// band (all of them for an empty band), against the cyclic frequency, the frequency 0 left
// out (its lines start at one cyclic step).
Spectrum enhancedEnvelopeSpectrum(const CoherenceMap& map, Band carriers = {});

} // namespace orbistan
