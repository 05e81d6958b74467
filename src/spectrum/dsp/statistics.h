#pragma once
// How often noise alone would put a line where a fault's line is looked for. A line of an
// averaged power spectrum of noise is a gamma variate of shape K (the number of independent
// spectra averaged); divided by the running median of its neighbours, its distribution no
// longer depends on the noise's level. The verdicts' thresholds follow from it, so that
// they hold whatever the averaging and however many lines are searched.

namespace orbistan {

// The regularised upper incomplete gamma function Q(a, x) = Γ(a, x) / Γ(a), a > 0, x ≥ 0.
double gammaQ(double a, double x);

// log10 Q(a, x), exact where Q itself would underflow to 0: tall lines and many of them are
// told apart however far in the tail they lie.
double log10GammaQ(double a, double x);

// The chance that one line of noise stands `ratio` times or more above the median of its
// neighbours (amplitudes), in a spectrum averaging `averages` independent spectra.
double lineExceedance(double ratio, double averages);

// The chance that the highest of `lines` lines of noise stands that far above.
double highestExceedance(double ratio, double averages, double lines);
// Its log10, exact however small.
double log10HighestExceedance(double ratio, double averages, double lines);

} // namespace orbistan
