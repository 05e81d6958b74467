#pragma once
// The peaks of a spectrum: local maxima standing above the running median of their
// neighbourhood, their frequency refined between the lines.

#include "spectrum/signal/spectrum.h"

#include <cstddef>
#include <vector>

namespace orbistan {

struct Peak {
    double frequency = 0; // refined between the lines
    double amplitude = 0; // the line's own amplitude
    std::size_t line = 0; // index into the spectrum
};

// A peak must stand this many times above the median of its neighbourhood (6 dB).
inline constexpr double kPeakOverFloor = 2.0;

// The first line that is the spectrum's own: those below twice the window's main lobe (in
// lines each side: rectangular 1, Hann 2, flat top 5) are the leakage of the record's offset
// and drift, and those a velocity's cut-off made nothing are nothing. A file's spectrum, of
// no known window, keeps all its lines. They are never peaks, and the value axis is not set by
// them.
std::size_t firstResolvableLine(const Spectrum& spectrum);

// The `count` highest peaks, highest first (equal ones by frequency), from the first
// resolvable line on. Lines at the ends have only one neighbour and are never peaks.
std::vector<Peak> findPeaks(const Spectrum& spectrum, std::size_t count);

// Whether the line is a peak of its own: the highest within two lines either side (the
// first of equal ones), so that the skirt of a stronger neighbour (the shaft's line, say)
// never counts; the lines at the ends never are.
bool ownPeak(const std::vector<double>& amplitude, std::size_t line);

// The running median of the amplitudes around `line`: the noise floor there.
double noiseFloor(const Spectrum& spectrum, std::size_t line);

// The line a cursor at `frequency` snaps to: the highest local maximum within `reach` Hz,
// or the nearest line when there is none.
std::size_t snapToPeak(const Spectrum& spectrum, double frequency, double reach);

// Where a local maximum at `line` lies between the lines: by the shape of the window the
// spectrum was transformed with, from the higher neighbour's share (exact for a tone alone,
// whatever the window); for a file's spectrum, of no known window, by a parabola through the
// logarithms of the three amplitudes.
double refinedFrequency(const Spectrum& spectrum, std::size_t line);

} // namespace orbistan
