#pragma once
// Envelope analysis: a bearing fault's impacts ring a structural resonance, and the
// spectrum of the envelope of that band shows the defect frequencies that the raw spectrum
// hides. The band is cut in the frequency domain, its analytic signal formed by the inverse
// transform, and the spectrum of its squared envelope computed as any waveform's.

#include "spectrum/dsp/transform.h"

#include <span>
#include <vector>

namespace orbistan {

struct Band {
    double low = 0, high = 0; // Hz
    bool operator==(const Band&) const = default;
};

// The spectrum of the band's squared envelope, its mean removed; with `whiten`, of the
// record pre-whitened (its spectrum's magnitude made one, its phase kept). Computed at the
// least rate the band's envelope needs, in 8 to 10 bytes a sample beside the record's own.
// Without a span (settings.span 0) it reaches as far as the band's envelope does; with one,
// the envelope is narrowed to it as a record's spectrum is, its lines as fine as it is narrow.
// Throws SpectrumFileError for a band outside 0 … the Nyquist frequency or narrower than two
// lines of the record.
Spectrum envelopeSpectrum(std::span<const double> samples, double sampleRate, Band band,
                          const TransformSettings& settings, bool whiten = false,
                          const Progress& progress = {});

// The band's envelope against time at the record's rate: the magnitude of its analytic
// signal, sample by sample, as it is drawn over the record. The same checks on the band.
std::vector<double> envelopeSignal(std::span<const double> samples, double sampleRate, Band band,
                                   const Progress& progress = {});

// The number of lines (of kLineChoices) that puts about 1,5 Hz between an envelope
// spectrum's lines at this sample rate: fine enough to part a defect frequency from the
// shaft's harmonics, coarse enough to average.
int envelopeLines(double sampleRate);

struct SuggestedBand {
    Band band;
    // The kurtosis of its squared-envelope spectrum: about 2 for noise, more where impacts
    // recur.
    double measure = 0;
};

// The band whose envelope spectrum shows recurring impacts best (band_map.h says how).
SuggestedBand suggestBand(std::span<const double> samples, double sampleRate,
                          const Progress& progress = {});

} // namespace orbistan
