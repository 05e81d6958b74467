#pragma once
// Which defect frequency, harmonic or sideband combination explains a peak: the frequency
// search run on the peak, its hits ranked. Residuals closer than the spectrum's resolution
// cannot be told apart by the measurement, so among those the simplest explanation wins:
// a single frequency's harmonic before a combination, then the lowest m + n. The
// kinematics make such twins common (Fo = Z·Fq exactly), and the analyst must read "Fo".

#include "search/search.h"
#include "spectrum/diagnosis/evidence.h"
#include "spectrum/dsp/peaks.h"

#include <optional>
#include <string>
#include <vector>

namespace orbistan {

struct Explanation {
    std::string name;    // "Fo", "2·Fw", "Fo + Fq"
    bool single = false; // one frequency's harmonic; m is the harmonic, n unused
    double m = 0, n = 0;
    double value = 0;    // the search's value of the combination
    double residual = 0; // |value − peak frequency|
};

// Every explanation within the tolerance of `frequency`, best first. `p.value` is ignored.
std::vector<Explanation> explainFrequency(double frequency, const SearchBases& bases,
                                          SearchParameters p, int precision, double resolution);

struct ExplainedPeak {
    Peak peak;
    std::optional<Explanation> best;
};

// Each peak explained: as a line of a family the diagnosis found (`diagnosis`, at least
// weak), at the frequency it was found at — its harmonic, then its first two sidebands —
// before any combination of the computed frequencies.
std::vector<ExplainedPeak> explainPeaks(const std::vector<Peak>& peaks, const SearchBases& bases,
                                        const SearchParameters& p, int precision, double resolution,
                                        const std::vector<FamilyEvidence>& diagnosis = {});

// The peak table as text: the header line `rank frequency amplitude explanation m n value
// residual`, then a line per peak; numbers in the general text form, `-` and empty fields
// where nothing explains a peak.
std::string peakTable(const std::vector<ExplainedPeak>& rows, char separator);

// The peak table's column captions, as the window shows them.
const std::vector<std::string>& peakTableCaptions();

// The table for a spreadsheet in a Russian locale: UTF-8 with a byte-order mark (without it
// such a spreadsheet reads «2·Fr» as «2В·Fr»), the window's captions, semicolons, decimal
// commas, every digit.
std::string peakTableForSpreadsheet(const std::vector<ExplainedPeak>& rows);

} // namespace orbistan
