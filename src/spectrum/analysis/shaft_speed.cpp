#include "spectrum/analysis/shaft_speed.h"

#include "calc/numbers.h"
#include "spectrum/dsp/decimate.h"
#include "spectrum/dsp/envelope.h"
#include "spectrum/dsp/peaks.h"
#include "spectrum/dsp/statistics.h"
#include "spectrum/dsp/transform.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

namespace orbistan {

namespace {

// The rules, and where they come from. An analyst finds 1× by the comb of the shaft's
// harmonics and checks it against 2× and 3×, so that a lone line (the mains, a family's) is
// never taken for it. Here each candidate speed within the range is weighed by how unlikely
// the lines standing on its comb are as lines that happen to stand there: each harmonic's
// tallest line against the density of lines as tall in the spectrum (as the families'
// evidence weighs theirs), combined by Fisher's method over the harmonics. The best comb
// must hold two of the first three harmonics, and its chance, multiplied by the number of
// candidates that could have met noise as well (the search pays for every speed it tried),
// must stay below 1 in 1000. Its speed is then fitted to every harmonic found, each placed
// between the lines by the window's shape.
constexpr double kLineRatio = kPeakOverFloor; // a line stands 6 dB over its floor
constexpr double kCredibleChance = -3;        // log10, after the candidates tried
// A comb less credible than that, but as likely as not to be more than chance, is worth
// weighing against the speed typed by the families' own evidence.
constexpr double kPlausibleChance = 1;
// Within so many percent of the speed typed, a comb confirms it (a nameplate's rounding).
constexpr double kConfirmedPercent = 0.2;
constexpr int kFirstHarmonicsChecked = 3, kFirstHarmonicsNeeded = 2;
constexpr int kCombEnds = kSpeedHarmonics - kFirstHarmonicsChecked + 1;
// Where the comb is first looked for, and then where a fitted comb's harmonics must stand:
// a line either side, then a third of one (a tone's place between the lines is known far
// better than that).
constexpr double kSearchReach = 1, kFitReach = 0.3;
// The electrical lines stand at the mains' harmonics whatever the shaft does: the grid
// holds its frequency to a few hundredths of a percent, and a clear line is placed to a
// tenth of a line. Only so close: a shaft at 29,95 Hz has its 2× a tenth of a hertz off 60.
constexpr double kMainsTolerance = 0.0002, kMainsLines = 0.1;

bool onMainsGrid(double f, double resolution) {
    for (const double mains : {50.0, 60.0}) {
        const double n = std::round(f / mains);
        if (n >= 1 &&
            std::abs(f - n * mains) <= std::max(kMainsLines * resolution, kMainsTolerance * f)) {
            return true;
        }
    }
    return false;
}

// A spectrum's discrete lines over the comb's reach, with how the tall ones are spread.
class CombLines {
public:
    CombLines(const Spectrum& s, double low, double high) : resolution_(s.resolution) {
        const std::vector<double>& f = s.frequency;
        const auto from = std::max<std::size_t>(
            firstResolvableLine(s),
            static_cast<std::size_t>(std::lower_bound(f.begin(), f.end(), low) - f.begin()));
        const auto to =
            static_cast<std::size_t>(std::upper_bound(f.begin(), f.end(), high) - f.begin());
        for (std::size_t i = from; i < to; ++i) {
            if (!ownPeak(s.amplitude, i)) {
                continue;
            }
            const double floor = noiseFloor(s, i);
            if (!(floor > 0) || !(s.amplitude[i] >= kLineRatio * floor)) {
                continue;
            }
            const double at = refinedFrequency(s, i);
            if (!onMainsGrid(at, s.resolution)) {
                frequency_.push_back(at);
                ratio_.push_back(s.amplitude[i] / floor);
            }
        }
        tallest_ = ratio_;
        std::sort(tallest_.begin(), tallest_.end(), std::greater<>());
        band_ = std::max(high - low, resolution_);
        top_ = std::min(high, f.empty() ? 0.0 : f.back());
    }

    double resolution() const { return resolution_; }
    double top() const { return top_; }

    // The tallest line within `reach` of `at`: its index, or none.
    std::optional<std::size_t> tallestNear(double at, double reach) const {
        auto i = std::lower_bound(frequency_.begin(), frequency_.end(), at - reach);
        std::optional<std::size_t> best;
        for (; i != frequency_.end() && *i <= at + reach; ++i) {
            const auto k = static_cast<std::size_t>(i - frequency_.begin());
            if (!best || ratio_[k] > ratio_[*best]) {
                best = k;
            }
        }
        return best;
    }
    double frequency(std::size_t k) const { return frequency_[k]; }
    double ratio(std::size_t k) const { return ratio_[k]; }

    // ln of the chance that a line as tall as line k stands, by chance, within a window
    // `width` Hz wide: from how many such lines the spectrum holds over the comb's reach.
    double lnChance(std::size_t k, double width) const {
        const auto taller = static_cast<double>(
            std::upper_bound(tallest_.begin(), tallest_.end(), ratio_[k], std::greater<>()) -
            tallest_.begin());
        return std::log(std::max(-std::expm1(-taller / band_ * width), 1e-300));
    }

private:
    double resolution_;
    std::vector<double> frequency_, ratio_, tallest_;
    double band_ = 0, top_ = 0;
};

// A comb's harmonics as found in each spectrum: the line of each (none where none stands
// near it), harmonic k at index k − 1.
struct Comb {
    double speed = 0;
    std::vector<std::vector<std::optional<std::size_t>>> lines; // per spectrum
    double log10Chance = 0; // Fisher's over every harmonic of every spectrum looked at
};

// Each harmonic's chance is the better of the spectra's (times their number: each is one more
// chance for noise), so that a spectrum where the shaft shows nothing takes nothing from one
// where it shows; Fisher's combination then runs over the harmonics up to the highest found
// (the first three at least): a machine that shakes at 1×, 2× and 3× alone is as plainly
// turning at that speed as one that shows ten harmonics. Where the comb ends is a choice,
// paid for in the candidates tried (kCombEnds).
Comb combAt(const std::vector<CombLines>& spectra, double speed, double reachInLines) {
    Comb c{speed, {}, 0};
    std::vector<double> best; // ln of each harmonic's chance
    for (const CombLines& lines : spectra) {
        const double reach = reachInLines * lines.resolution();
        std::vector<std::optional<std::size_t>>& found = c.lines.emplace_back();
        for (int k = 1; k <= kSpeedHarmonics && k * speed + reach <= lines.top(); ++k) {
            found.push_back(lines.tallestNear(k * speed, reach));
            if (best.size() < found.size()) {
                best.push_back(0);
            }
            if (found.back()) {
                best[found.size() - 1] =
                    std::min(best[found.size() - 1], lines.lnChance(*found.back(), 2 * reach));
            }
        }
    }
    const double tries = std::log(static_cast<double>(spectra.size()));
    double x = 0;
    std::size_t highest = 0;
    for (std::size_t k = 0; k < best.size(); ++k) {
        if (best[k] < 0) {
            x -= std::min(0.0, best[k] + tries);
            highest = k + 1;
        }
    }
    const auto slots =
        std::min(best.size(), std::max<std::size_t>(highest, kFirstHarmonicsChecked));
    c.log10Chance = slots > 0 ? log10GammaQ(static_cast<double>(slots), x) : 0;
    return c;
}

// The speed that puts the comb's harmonics where their lines stand, by least squares, and
// its standard error from how far they stand off; none without two lines. Each line weighs
// as its height over the floor squared: a line's place between the lines is known as much
// better as it stands clearer, and a weak line that happens to stand near a harmonic must
// not pull the speed off the shaft's own.
std::optional<std::pair<double, double>> fitted(const std::vector<CombLines>& spectra,
                                                const Comb& c) {
    double kf = 0, kk = 0;
    int found = 0;
    const auto each = [&](const auto& use) {
        for (std::size_t s = 0; s < spectra.size(); ++s) {
            for (std::size_t i = 0; i < c.lines[s].size(); ++i) {
                if (const auto line = c.lines[s][i]) {
                    const double r = spectra[s].ratio(*line);
                    use(static_cast<double>(i + 1), spectra[s].frequency(*line), r * r);
                }
            }
        }
    };
    each([&](double k, double f, double w) { kf += w * k * f, kk += w * k * k, ++found; });
    if (found < 2) {
        return std::nullopt;
    }
    const double speed = kf / kk;
    double squares = 0;
    each([&](double k, double f, double w) { squares += w * (f - k * speed) * (f - k * speed); });
    return std::pair{speed, std::sqrt(squares / (found - 1) / kk)};
}

// The first `first` harmonics found in any of the spectra.
int harmonicsFound(const Comb& c, std::size_t first) {
    int n = 0;
    for (std::size_t i = 0; i < first; ++i) {
        n += std::any_of(c.lines.begin(), c.lines.end(),
                         [i](const auto& found) { return i < found.size() && found[i]; });
    }
    return n;
}

// The best comb within [low, high], fitted, and its chance after the candidates tried.
struct Candidate {
    double speed = 0, error = 0, log10Chance = 0;
    int harmonics = 0, firstHarmonics = 0;
    double alone = 0;  // log10Chance before the candidates tried
    double finest = 0; // the finest lines looked at, Hz
};

// How many combs a search over `width` Hz of speeds could tell apart: the width over the
// fit's reach at the highest harmonic, for each place the comb may end.
double combsTried(double width, double finest) {
    return std::max(1.0, width * kSpeedHarmonics / (2 * kFitReach * finest)) * kCombEnds;
}

// A comb fitted to its lines: fitted, then its harmonics looked for again about the speed
// fitted, nearer each time, down to the fit's reach. None where its lines do not place a
// speed within the range (the comb the range's edge cuts belongs to a speed outside it).
std::optional<std::pair<Comb, double>> fit(const std::vector<CombLines>& spectra, Comb comb,
                                           double low, double high) {
    double error = 0;
    for (const double reach : {(kSearchReach + kFitReach) / 2, kFitReach, kFitReach}) {
        const auto f = fitted(spectra, comb);
        if (!f) {
            break; // as near as its lines allow
        }
        if (f->first < low || f->first > high) {
            return std::nullopt;
        }
        error = f->second;
        comb = combAt(spectra, f->first, reach);
    }
    return std::pair{std::move(comb), error};
}

std::optional<Candidate> bestComb(const std::vector<CombLines>& spectra, double low, double high) {
    double finest = 0;
    for (const CombLines& lines : spectra) {
        finest = finest > 0 ? std::min(finest, lines.resolution()) : lines.resolution();
    }
    if (!(finest > 0)) {
        return std::nullopt;
    }
    // The range scanned at a line's reach and at the fit's; every comb likelier than its
    // neighbours is fitted and weighed again. Other lines spaced about as the shaft's (the
    // sidebands of a line the shaft modulates, a slipping element's) can form a comb as
    // likely at a line's reach, but not at the fit's.
    std::optional<std::pair<Comb, double>> best;
    for (const double reach : {kSearchReach, kFitReach}) {
        std::vector<Comb> scan;
        for (double speed = low; speed <= high; speed += reach * finest / (2 * kSpeedHarmonics)) {
            scan.push_back(combAt(spectra, speed, reach));
        }
        for (std::size_t i = 0; i < scan.size(); ++i) {
            const double here = scan[i].log10Chance;
            if ((i > 0 && here > scan[i - 1].log10Chance) ||
                (i + 1 < scan.size() && here >= scan[i + 1].log10Chance)) {
                continue;
            }
            std::optional<std::pair<Comb, double>> f = fit(spectra, scan[i], low, high);
            // Checked against 2× and 3×: a lone line (the mains, a family's) and the lines a
            // family puts at multiples of a third of its own are no shaft's comb.
            if (f && harmonicsFound(f->first, kFirstHarmonicsChecked) >= kFirstHarmonicsNeeded &&
                (!best || f->first.log10Chance < best->first.log10Chance)) {
                best = std::move(f);
            }
        }
    }
    if (!best) {
        return std::nullopt;
    }
    const Comb& comb = best->first;
    return Candidate{comb.speed,
                     best->second,
                     comb.log10Chance + std::log10(combsTried(high - low, finest)),
                     harmonicsFound(comb, kSpeedHarmonics),
                     harmonicsFound(comb, kFirstHarmonicsChecked),
                     comb.log10Chance,
                     finest};
}

std::string fourFigures(double value) {
    if (!(value > 0)) {
        return formatGeneral(value);
    }
    const double scale = std::pow(10.0, 3 - std::floor(std::log10(value)));
    return formatGeneral(std::round(value * scale) / scale);
}

} // namespace

ShaftSpeed typedSpeed(double hz, SpeedSource source) {
    return {hz, hz, source, 0, 0};
}

std::vector<ShaftSpeed> speedsFromSpectra(std::span<const Spectrum* const> spectra, double typed,
                                          double rangePercent) {
    const ShaftSpeed asTyped = typedSpeed(typed, SpeedSource::Unproven);
    if (!(typed > 0) || !(rangePercent > 0)) {
        return {asTyped};
    }
    const double low = typed * (1 - rangePercent / 100), high = typed * (1 + rangePercent / 100);
    std::vector<CombLines> lines;
    for (const Spectrum* s : spectra) {
        CombLines l(*s, 0.5 * low, (kSpeedHarmonics + 0.5) * high);
        if (l.resolution() > 0 && l.top() >= kFirstHarmonicsChecked * high) {
            lines.push_back(std::move(l)); // it reaches the harmonics checked
        }
    }
    const std::optional<Candidate> best = bestComb(lines, low, high);
    if (!best || best->log10Chance > kPlausibleChance) {
        return {asTyped};
    }
    const ShaftSpeed comb{best->speed, typed, SpeedSource::Spectrum, best->error / best->speed,
                          best->harmonics};
    // A comb where the speed typed puts it confirms that speed: it had to be found only among
    // the few combs within a hair of it, not over the whole range.
    const double near = kConfirmedPercent / 100 * typed;
    const bool confirms =
        std::abs(best->speed - typed) <= near &&
        best->alone + std::log10(combsTried(2 * near, best->finest)) <= kCredibleChance;
    if (best->log10Chance <= kCredibleChance || confirms) {
        return {comb};
    }
    return {asTyped, comb};
}

namespace {

Progress progressPart(const Progress& progress, double from, double to) {
    return Progress([&progress, from, to](double f) { progress.step(from + (to - from) * f); },
                    nullptr);
}

// The record's differences squared and narrowed as `t` asks: its squared envelope there
// (square-law demodulation of what rings, the shaft's own tones 50 dB down, so that a tone's
// square puts no 2× of its own), at the cost of one more narrowed spectrum rather than of the
// whole record's analytic signal.
Spectrum squareLawSpectrum(const Waveform& record, const TransformSettings& t,
                           const Progress& progress) {
    std::vector<double> squared(record.samples.size());
    for (std::size_t i = 1; i < squared.size(); ++i) {
        const double d = record.samples[i] - record.samples[i - 1];
        squared[i] = d * d;
    }
    squared.front() = squared.size() > 1 ? squared[1] : 0;
    return amplitudeSpectrum(squared, record.sampleRate, t, progress);
}

} // namespace

std::vector<ShaftSpeed> findShaftSpeeds(const Waveform& record, double typed,
                                        const SpeedSearch& search, const Progress& progress) {
    if (search.exact || !(typed > 0) || !(search.rangePercent > 0) || record.samples.empty()) {
        return {typedSpeed(typed, search.exact ? SpeedSource::Typed : SpeedSource::Unproven)};
    }
    // The whole record as one segment, narrowed to the comb: lines as fine as the record
    // allows, at the cost of a short transform.
    TransformSettings t;
    t.lines = 0;
    t.span = (kSpeedHarmonics + 1) * typed * (1 + search.rangePercent / 100);
    if (t.span >= record.sampleRate / kSamplesPerSpanHz ||
        samplesToNarrow(record.sampleRate, t.span) > double(record.samples.size())) {
        t.span = 0; // too short to narrow: the whole band
    }
    const Spectrum raw =
        amplitudeSpectrum(record.samples, record.sampleRate, t, progressPart(progress, 0, 0.2));
    // The shaft modulates what rings as well as what it shakes: its comb often stands clearer
    // in the envelope (an inner race's impacts, strongest once a turn).
    const Spectrum demodulated = squareLawSpectrum(record, t, progressPart(progress, 0.2, 0.4));
    std::vector<const Spectrum*> spectra{&raw, &demodulated};
    std::vector<ShaftSpeed> speeds = speedsFromSpectra(spectra, typed, search.rangePercent);
    if (speeds.size() == 1 && speeds.front().source == SpeedSource::Spectrum) {
        return speeds;
    }
    // Where that shows no comb beyond chance, the whole record's analytic envelope in its
    // place: dearer, but clearer where the shaft's modulation is weak (its beats with the
    // record's own tones kept).
    try {
        const Spectrum envelope =
            envelopeSpectrum(record.samples, record.sampleRate, {0, record.sampleRate / 2}, t,
                             false, progressPart(progress, 0.4, 1));
        spectra.back() = &envelope;
        speeds = speedsFromSpectra(spectra, typed, search.rangePercent);
    } catch (const SpectrumFileError&) {
        // a record too short for an envelope: as the spectra above say
    }
    return speeds;
}

std::vector<ShaftSpeed> speedsOfSpectrum(const Spectrum& spectrum, double typed,
                                         const SpeedSearch& search) {
    if (search.exact) {
        return {typedSpeed(typed)};
    }
    const Spectrum* spectra[] = {&spectrum};
    return speedsFromSpectra(spectra, typed, search.rangePercent);
}

SearchBases atShaftSpeed(const SearchBases& b, double fr) {
    if (!(b.Fr > 0) || !(fr > 0)) {
        return b;
    }
    const double k = fr / b.Fr;
    return {b.Fo * k, b.Fi * k, b.Fw * k, b.Fq * k, fr};
}

double speedMarginPercent(const ShaftSpeed& speed) {
    return 200 * speed.uncertainty;
}

std::string windowText(double windowPercent) {
    return "окно ±" + formatGeneral(std::round(windowPercent * 10) / 10) +
           (std::abs(windowPercent - std::round(windowPercent)) < 0.05 ? ",0" : "") + " %";
}

std::string speedText(const ShaftSpeed& speed, bool russian) {
    const std::string hz = fourFigures(speed.hz);
    const std::string rpm = std::to_string(std::lround(speed.hz * 60));
    const std::string typed = formatGeneral(speed.typed);
    if (russian) {
        const std::string how(termOf(kSpeedSourceTerms, speed.source).label);
        return "Fr = " + hz + " Гц (" + rpm + " об/мин) — " + how +
               (speed.source == SpeedSource::Spectrum ? ", введено " + typed : "");
    }
    const std::string head = "Fr " + hz + " Hz (" + rpm + " rpm) ";
    switch (speed.source) {
    case SpeedSource::Spectrum:
        return head + "from the spectrum, typed " + typed;
    case SpeedSource::Unproven:
        return head + "typed, not confirmed by the record";
    default:
        return head + "typed";
    }
}

} // namespace orbistan
