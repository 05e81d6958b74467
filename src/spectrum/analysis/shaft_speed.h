#pragma once
// The shaft's running speed as the record shows it, not as it was typed. Every kinematic
// frequency scales with the speed, and the speed typed is rarely the running one: the
// nameplate's, another day's, the motor's rather than the shaft's, and an induction motor
// slips 1–4 % with its load. So each record's speed is found near the speed typed, from the
// comb of the shaft's own harmonics, and the families are judged at it; where nothing
// credible stands there, the speed typed is used and the verdicts say so.

#include "search/search.h"
#include "spectrum/signal/spectrum.h"
#include "spectrum/signal/vocabulary.h"
#include "spectrum/signal/waveform.h"

#include <optional>
#include <span>
#include <string>

namespace orbistan {

// How far from the speed typed the running speed is looked for, percent: an induction
// motor's slip and a nameplate's rounding, with room to spare.
inline constexpr double kDefaultSpeedRangePercent = 10;
inline constexpr double kMaxSpeedRangePercent = 30;
// The shaft's harmonics the comb is made of.
inline constexpr int kSpeedHarmonics = 10;

// How a record's speed is to be known.
struct SpeedSearch {
    double rangePercent = kDefaultSpeedRangePercent;
    bool exact = false; // the speed typed is the running speed: not looked for
    bool operator==(const SpeedSearch&) const = default;
};

enum class SpeedSource {
    Typed,    // as typed, the search asked off
    Unproven, // as typed: nothing in the record confirms or corrects it
    Spectrum, // the comb of the shaft's harmonics
};

// How the speed was known: the trend's key, and how the window says it.
inline constexpr Vocabulary<SpeedSource, 3> kSpeedSourceTerms = {{
    {SpeedSource::Typed, "typed", "введено"},
    {SpeedSource::Unproven, "unconfirmed", "введено, по записи не подтверждено"},
    {SpeedSource::Spectrum, "spectrum", "по спектру"},
}};

struct ShaftSpeed {
    double hz = 0;    // the speed the families are judged at
    double typed = 0; // as the user gave it
    SpeedSource source = SpeedSource::Typed;
    // How well the record places it: the standard error of the comb's fit over the speed,
    // 0 where it was not found.
    double uncertainty = 0;
    int harmonics = 0; // of the shaft's, found on the comb
    bool operator==(const ShaftSpeed&) const = default;
};

// The speed as typed, unsearched.
ShaftSpeed typedSpeed(double hz, SpeedSource source = SpeedSource::Typed);

// The speeds the record may run at, the likeliest first. From the spectra given (a record's
// spectrum and its envelope's, or a file's spectrum alone, each with lines fine enough to
// part the shaft's harmonics), the comb of kSpeedHarmonics harmonics within ±rangePercent of
// `typed` that their lines fit best, checked on the first three, its speed fitted to every
// harmonic found. One speed where that comb stands out of the lines there beyond chance, or
// where none is worth a look (the speed typed, unproven); else the speed typed and the comb's,
// for the families' evidence to choose between, paying for the second try.
std::vector<ShaftSpeed> speedsFromSpectra(std::span<const Spectrum* const> spectra, double typed,
                                          double rangePercent);

// A record's speeds as the search asks: from its spectrum and its envelope's, each of the
// whole record as one segment, over the comb's harmonics. Throws SpectrumCancelled.
std::vector<ShaftSpeed> findShaftSpeeds(const Waveform& record, double typed,
                                        const SpeedSearch& search, const Progress& progress = {});

// A spectrum file's speeds: from its own lines, as the search asks.
std::vector<ShaftSpeed> speedsOfSpectrum(const Spectrum& spectrum, double typed,
                                         const SpeedSearch& search);

// The bearing's frequencies at another shaft speed: each is the speed times a ratio of the
// geometry's.
SearchBases atShaftSpeed(const SearchBases& bases, double fr);

// How far each family's window reaches beyond its slip, percent: twice the speed's standard
// error, so that the speed found is no narrower a guess than the record allows.
double speedMarginPercent(const ShaftSpeed& speed);

// "окно ±2,0 %": how far from where the kinematics put it each family's fundamental was
// looked for.
std::string windowText(double windowPercent);

// "Fr = 28,75 Гц (1725 об/мин) — по спектру, введено 29,95" for the window and the report;
// "Fr 28,75 Hz (1725 rpm) from the spectrum, typed 29,95" for the command line.
std::string speedText(const ShaftSpeed& speed, bool russian);

} // namespace orbistan
