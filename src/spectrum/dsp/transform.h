#pragma once
// The amplitude spectrum of a waveform: segments of the record, windowed, transformed by
// FFTW in double precision, their powers averaged over overlapping segments (Welch).

#include "spectrum/signal/spectrum.h"
#include "spectrum/signal/vocabulary.h"
#include "spectrum/signal/waveform.h"

#include <array>
#include <optional>
#include <span>

namespace orbistan {

// The numbers of lines an analyser offers; 0 takes the whole record as one segment.
inline constexpr std::array<int, 7> kLineChoices = {400, 800, 1600, 3200, 6400, 12800, 25600};
inline constexpr int kMaxAverages = 100000;

struct TransformSettings {
    WindowKind window = WindowKind::Hann;
    int lines = 3200; // a kLineChoices value, or 0
    Scaling scaling = Scaling::Peak;
    // The highest frequency wanted, Hz: the record is low-pass filtered and decimated to the
    // least rate that shows it before it is transformed, so that the lines grow as fine as
    // the span is narrow. 0, or a span the record's rate cannot narrow, takes the whole band;
    // a record shorter than the filter that narrows it is refused (SpectrumFileError).
    double span = 0;
    Averaging averaging = Averaging::Auto;
    int averages = 0; // the record's first segments combined; 0: all it holds, … kMaxAverages
    bool operator==(const TransformSettings&) const = default;
};

// The window's coefficients over n samples, periodic (as spectral analysis uses them).
std::vector<double> windowCoefficients(WindowKind kind, std::size_t n);

// The magnitude of the window's transform `offset` lines from a tone's frequency, 1 at the
// tone: the shape every tone takes in the spectrum, whatever the segment's length.
double windowKernel(WindowKind kind, double offset);

// Half the width of the window's main lobe, in lines: its number of cosine terms.
std::size_t mainLobeHalfWidth(WindowKind kind);

// Segments of 2,56 samples per line, overlapping as settings.averaging says (auto: by half,
// none for the rectangular window, whose segments would otherwise count the same samples
// twice at full weight), as many as settings.averages allows. A record shorter than one
// segment is taken whole. The spectrum's lines run from 0 Hz to the
// number of lines (or to the Nyquist frequency for the whole record); a sine of amplitude
// A reads A with peak scaling, A/√2 with RMS, at its line.
Spectrum amplitudeSpectrum(std::span<const double> samples, double sampleRate,
                           const TransformSettings& settings, const Progress& progress = {});

// amplitudeSpectrum's two steps: a span the record is too short to be narrowed to is refused
// (SpectrumFileError); the record decimated by `factor` (1: none), then transformed, shows
// its lines up to the decimated rate over 2,56.
void requireLengthToNarrow(std::size_t n, double sampleRate, double span);
Spectrum decimatedSpectrum(std::span<const double> samples, double sampleRate, std::size_t factor,
                           const TransformSettings& settings, const Progress& progress = {});

// The samples of a segment that gives `lines` lines: 2,56 a line.
std::size_t segmentLength(int lines);

// The spectrum amplitudeSpectrum gives, at `factor` times this rate, of a record with no
// content above this rate's Nyquist frequency, from the record taken every factor-th sample:
// the same segments in time, the same lines, those above this Nyquist frequency nothing. The
// factor must divide the segment of settings.lines (> 0) down to a whole number of lines.
Spectrum bandLimitedSpectrum(std::span<const double> samples, double sampleRate, std::size_t factor,
                             const TransformSettings& settings, const Progress& progress = {});

// The spectrum shows up to the span asked for (the decimated rate over 2,56), never the
// decimating filter's transition above it.
//
// A recording's spectrum: amplitudeSpectrum with the recording's units.
Spectrum recordSpectrum(const Waveform& record, const TransformSettings& settings,
                        const Progress& progress = {});

// An acceleration spectrum in a known unit as velocity in mm/s: each line divided by 2πf
// (the 0 Hz line, and those below `lowCut` Hz, where the division only magnifies the
// sensor's drift, become nothing). Empty for any other spectrum, where it means nothing.
std::optional<Spectrum> toVelocity(const Spectrum& acceleration, double lowCut = 0);

} // namespace orbistan
