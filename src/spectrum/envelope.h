#pragma once
// Envelope analysis: a bearing fault's impacts ring a structural resonance, and the
// spectrum of the envelope of that band shows the defect frequencies that the raw spectrum
// hides. The band is cut in the frequency domain, its analytic signal formed by the inverse
// transform, and the spectrum of its squared envelope computed as any waveform's.

#include "spectrum/transform.h"

#include <span>

namespace orbistan {

struct Band {
    double low = 0, high = 0; // Hz
};

// The squared envelope of the band, its mean removed: samples at the record's rate.
std::vector<double> squaredEnvelope(std::span<const double> samples, double sampleRate, Band band,
                                    const Progress& progress = {});

// Throws SpectrumFileError for a band outside 0 … the Nyquist frequency or narrower than two
// lines of the record.
Spectrum envelopeSpectrum(std::span<const double> samples, double sampleRate, Band band,
                          const TransformSettings& settings, const Progress& progress = {});

struct SuggestedBand {
    Band band;
    double kurtosis = 0; // of the band's envelope: 2 for Gaussian noise, more when impulsive
};

// The band whose filtered signal is most impulsive: of the bands of a half, a quarter, an
// eighth and a sixteenth of the Nyquist frequency, each overlapping its neighbours by half,
// the one whose complex envelope has the greatest kurtosis E|z|⁴ / (E|z|²)².
SuggestedBand suggestBand(std::span<const double> samples, double sampleRate,
                          const Progress& progress = {});

} // namespace orbistan
