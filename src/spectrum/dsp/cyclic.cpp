#include "spectrum/dsp/cyclic.h"

#include "calc/numbers.h"
#include "spectrum/dsp/fft.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <numbers>
#include <thread>

namespace orbistan {

namespace {

using Complex = std::complex<double>;

// The carriers' spacing the window gives: fine enough to part a resonance from its
// neighbours, coarse enough that many frames are averaged.
constexpr double kCarrierSpacing = 100;
// Frames a quarter window apart: the frames' rate is four carrier steps, so that what the
// window lets through of a cyclic frequency (up to two carrier steps from a shift) does not
// alias.
constexpr std::size_t kFramesPerWindow = 4;
// The fewest frames a coherence is estimated from.
constexpr std::size_t kFewestFrames = 16;

std::size_t windowLength(double sampleRate) {
    std::size_t n = 16;
    while (static_cast<double>(2 * n) <= sampleRate / kCarrierSpacing * 1.5) {
        n *= 2;
    }
    return n;
}

// Periodic for the frames' window (its overlapped copies add to a constant); shifted half a
// point for the segments' taper, so that no frame is weighed zero.
std::vector<double> hann(std::size_t n, double offset = 0) {
    std::vector<double> w(n);
    for (std::size_t i = 0; i < n; ++i) {
        w[i] = 0.5 - 0.5 * std::cos(2 * std::numbers::pi * (static_cast<double>(i) + offset) /
                                    static_cast<double>(n));
    }
    return w;
}

struct Layout {
    std::size_t length = 0, hop = 0, carriers = 0, frames = 0;
    std::size_t segment = 0; // frames per segment
    std::size_t padded = 0;  // the transform across a segment's frames
    std::size_t shifts = 0;  // carrier shifts 0 … shifts − 1
    std::vector<std::size_t> starts;
    CoherenceMap map;
};

Layout layoutFor(std::size_t samples, double sampleRate, double cyclicTop, double resolution) {
    Layout l;
    l.length = windowLength(sampleRate);
    l.hop = l.length / kFramesPerWindow;
    l.carriers = l.length / 2 + 1;
    if (!(cyclicTop > 0) || cyclicTop > sampleRate / 2 || !(resolution >= 0) ||
        samples < l.length + kFewestFrames * l.hop) {
        throw SpectrumFileError({ProblemKind::Unsuited, "", "",
                                 "запись слишком коротка для циклической когерентности"});
    }
    l.frames = (samples - l.length) / l.hop + 1;
    const double frameRate = sampleRate / static_cast<double>(l.hop);
    l.segment = l.frames;
    if (resolution > 0) {
        l.segment =
            std::clamp(fft::goodSize(static_cast<std::size_t>(std::ceil(frameRate / resolution))),
                       kFewestFrames, l.frames);
    }
    l.padded = fft::goodSize(l.segment);
    // Half a segment apart, the last ending with the record.
    for (std::size_t s = 0; s + l.segment <= l.frames;
         s += std::max<std::size_t>(1, l.segment / 2)) {
        l.starts.push_back(s);
    }
    if (l.starts.back() + l.segment < l.frames) {
        l.starts.push_back(l.frames - l.segment);
    }
    CoherenceMap& m = l.map;
    m.segments = l.starts.size();
    m.carriers = l.carriers;
    m.carrierStep = sampleRate / static_cast<double>(l.length);
    m.cyclicStep = frameRate / static_cast<double>(l.padded);
    m.cyclics = static_cast<std::size_t>(std::floor(cyclicTop / m.cyclicStep)) + 1;
    l.shifts = std::min(l.carriers - 2,
                        static_cast<std::size_t>(std::lround(cyclicTop / m.carrierStep)) + 1);
    return l;
}

// The shift whose pairs of carriers hold the cyclic frequency best: the nearest multiple of
// the carrier step. Within half a step of it the window passes the modulation at 0,9 of its
// strength or more; it is left so, that the coherence of noise stays level for the verdicts.
std::size_t shiftOf(const CoherenceMap& m, std::size_t cyclic) {
    return static_cast<std::size_t>(
        std::lround(static_cast<double>(cyclic) * m.cyclicStep / m.carrierStep));
}

// The carriers that hold a pair at a shift, by the pair's middle: neither the offset's
// carrier nor the Nyquist's is in a pair.
std::pair<std::size_t, std::size_t> middles(std::size_t carriers, std::size_t shift) {
    return {shift + 1 - shift / 2, carriers - 2 - shift / 2 + 1}; // [from, to)
}

// The segment's frames, carrier by carrier: stft[k * segment + n]. A few frames at a time
// are turned carrier by carrier, so that each carrier's row is written in runs.
void transformFrames(std::span<const double> x, const Layout& l, std::size_t start,
                     const std::vector<double>& window, fft::Forward& transform,
                     std::vector<Complex>& stft) {
    constexpr std::size_t kBlock = 16;
    std::vector<Complex> block(kBlock * l.carriers);
    for (std::size_t first = 0; first < l.segment; first += kBlock) {
        const std::size_t count = std::min(kBlock, l.segment - first);
        for (std::size_t b = 0; b < count; ++b) {
            double* in = transform.input();
            const double* from = x.data() + (start + first + b) * l.hop;
            for (std::size_t i = 0; i < l.length; ++i) {
                in[i] = from[i] * window[i];
            }
            const fftw_complex* lines = transform.run();
            for (std::size_t k = 0; k < l.carriers; ++k) {
                block[b * l.carriers + k] = {lines[k][0], lines[k][1]};
            }
        }
        for (std::size_t k = 0; k < l.carriers; ++k) {
            for (std::size_t b = 0; b < count; ++b) {
                stft[k * l.segment + first + b] = block[b * l.carriers + k];
            }
        }
    }
}

// One segment's share: for each shift and carrier pair, the squared magnitude of the
// transform across the frames of the tapered product, added at the cyclic frequencies the
// shift holds; and the product of the pair's tapered powers, which bounds it. The carriers
// are shared among the cores.
class SegmentWork {
public:
    SegmentWork(const Layout& l) : l_(l), taper_(hann(l.segment, 0.5)), power_(l.carriers) {
        for (const double t : taper_) {
            taperSum_ += t;
        }
        const std::size_t cores = std::max(1U, std::thread::hardware_concurrency());
        for (std::size_t t = 0; t < std::min(cores, l.carriers - 2); ++t) {
            across_.emplace_back(2 * l.padded);
            // Planned here, on this thread: the workers then allocate nothing, and nothing
            // they do can throw.
            std::fill(across_.back().samples(), across_.back().samples() + 2 * l.padded, 0.0);
            across_.back().complexTransform(l.padded, FFTW_FORWARD);
        }
    }

    void add(const std::vector<Complex>& stft, std::vector<float>& sums,
             std::vector<double>& bounds) {
        std::fill(power_.begin(), power_.end(), 0.0);
        for (std::size_t k = 0; k < l_.carriers; ++k) {
            for (std::size_t n = 0; n < l_.segment; ++n) {
                power_[k] += taper_[n] * std::norm(stft[k * l_.segment + n]);
            }
        }
        // Carrier by carrier, each with the few below it, so that the rows read stay in the
        // cache; the cores take a run of carriers each. No two pairs add to the same point.
        const std::size_t workers = across_.size();
        const auto work = [&](std::size_t worker) {
            const std::size_t from = 1 + (l_.carriers - 2) * worker / workers;
            const std::size_t to = 1 + (l_.carriers - 2) * (worker + 1) / workers;
            for (std::size_t k = from; k < to; ++k) {
                addPairs(k, stft, across_[worker], sums, bounds);
            }
        };
        std::vector<std::jthread> others;
        for (std::size_t w = 1; w < workers; ++w) {
            others.emplace_back(work, w);
        }
        work(0);
    }

    std::pair<std::size_t, std::size_t> cyclicRange(std::size_t shift) const {
        const double perShift = l_.map.carrierStep / l_.map.cyclicStep;
        const auto edge = [&](double s) {
            return s <= 0 ? 0 : static_cast<std::size_t>(std::ceil(s * perShift));
        };
        return {edge(static_cast<double>(shift) - 0.5),
                std::min(l_.map.cyclics, edge(static_cast<double>(shift) + 0.5))};
    }

private:
    // Carrier k with each carrier p below it, p = 0 … shifts − 1 (never the offset's).
    void addPairs(std::size_t k, const std::vector<Complex>& stft, fft::InPlace& across,
                  std::vector<float>& sums, std::vector<double>& bounds) const {
        for (std::size_t p = 0; p < l_.shifts && p < k; ++p) {
            const auto [from, to] = cyclicRange(p);
            if (from >= to) {
                continue;
            }
            bounds[p * l_.carriers + k] += power_[k] * power_[k - p];
            const fftw_complex* z = acrossFrames(stft, k, p, across);
            float* row = sums.data() + (k - p / 2) * l_.map.cyclics;
            // The cyclic frequencies alias at the frames' rate: bin j of the transform holds
            // j modulo its length.
            for (std::size_t j = from; j < to;) {
                const std::size_t bin = j % l_.padded;
                const std::size_t run = std::min(to - j, l_.padded - bin);
                for (std::size_t i = 0; i < run; ++i) {
                    const fftw_complex& v = z[bin + i];
                    row[j + i] += static_cast<float>(v[0] * v[0] + v[1] * v[1]);
                }
                j += run;
            }
        }
    }

    // The tapered product of carrier k and the conjugate of carrier k − shift across the
    // frames, transformed; a carrier's own power with its mean taken out, so that the power
    // leaks into no cyclic frequency.
    const fftw_complex* acrossFrames(const std::vector<Complex>& stft, std::size_t k,
                                     std::size_t shift, fft::InPlace& across) const {
        fftw_complex* z = across.lines();
        const Complex* a = stft.data() + k * l_.segment;
        const Complex* b = stft.data() + (k - shift) * l_.segment;
        const double mean = shift == 0 ? power_[k] / taperSum_ : 0;
        for (std::size_t n = 0; n < l_.segment; ++n) {
            // Written out: std::complex's product guards against infinities at several
            // times the cost, and none can arise here.
            const double ar = a[n].real(), ai = a[n].imag(), br = b[n].real(), bi = b[n].imag();
            z[n][0] = taper_[n] * (ar * br + ai * bi - mean);
            z[n][1] = taper_[n] * (ai * br - ar * bi);
        }
        for (std::size_t n = l_.segment; n < l_.padded; ++n) {
            z[n][0] = z[n][1] = 0;
        }
        across.complexTransform(l_.padded, FFTW_FORWARD);
        return z;
    }

    const Layout& l_;
    std::vector<double> taper_;
    double taperSum_ = 0;
    std::vector<double> power_;        // each carrier's over the segment, tapered
    std::vector<fft::InPlace> across_; // one for each worker
};

// Each point's coherence from its sums: the root of their ratio to the pair's bound.
void normalise(CoherenceMap& m, std::size_t shifts, const std::vector<double>& bounds,
               const SegmentWork& work) {
    for (std::size_t p = 0; p < shifts; ++p) {
        const auto [from, to] = work.cyclicRange(p);
        const auto [low, high] = middles(m.carriers, p);
        for (std::size_t c = low; c < high && from < to; ++c) {
            const double bound = bounds[p * m.carriers + c + p / 2];
            float* row = m.coherence.data() + c * m.cyclics;
            for (std::size_t j = from; j < to; ++j) {
                row[j] = bound > 0 ? static_cast<float>(std::sqrt(row[j] / bound)) : 0.0F;
            }
            if (p == 0 && bound > 0) {
                row[0] = 1;
            }
        }
    }
}

} // namespace

CoherenceMap spectralCoherence(std::span<const double> samples, double sampleRate, double cyclicTop,
                               double resolution, const Progress& progress) {
    Layout l = layoutFor(samples.size(), sampleRate, cyclicTop, resolution);
    requireMemory(16.0 * static_cast<double>(l.carriers * l.segment) +
                  4.0 * static_cast<double>(l.carriers * l.map.cyclics) +
                  8.0 * static_cast<double>(l.carriers * l.shifts));
    CoherenceMap& m = l.map;
    m.coherence.assign(m.carriers * m.cyclics, 0.0F);
    std::vector<double> bounds(l.carriers * l.shifts);
    std::vector<Complex> stft(l.carriers * l.segment);
    const std::vector<double> window = hann(l.length);
    fft::Forward transform(l.length);
    SegmentWork work(l);
    for (std::size_t s = 0; s < l.starts.size(); ++s) {
        progress.step(static_cast<double>(s) / static_cast<double>(l.starts.size()));
        transformFrames(samples, l, l.starts[s], window, transform, stft);
        work.add(stft, m.coherence, bounds);
    }
    normalise(m, l.shifts, bounds, work);
    return std::move(l.map);
}

Spectrum enhancedEnvelopeSpectrum(const CoherenceMap& map, Band carriers) {
    Spectrum s;
    s.resolution = map.cyclicStep;
    s.units.label = "Когерентность";
    std::size_t from = 0, to = map.carriers;
    if (carriers.high > carriers.low) {
        from = static_cast<std::size_t>(std::ceil(carriers.low / map.carrierStep));
        to = std::min(map.carriers,
                      static_cast<std::size_t>(std::floor(carriers.high / map.carrierStep)) + 1);
    }
    std::size_t fewest = map.carriers;
    for (std::size_t k = 1; k < map.cyclics; ++k) {
        const auto [low, high] = middles(map.carriers, shiftOf(map, k));
        const std::size_t a = std::max(from, low), b = std::min(to, high);
        double sum = 0;
        for (std::size_t c = a; c < b; ++c) {
            sum += static_cast<double>(map.at(c, k)) * map.at(c, k);
        }
        s.frequency.push_back(static_cast<double>(k) * map.cyclicStep);
        s.amplitude.push_back(b > a ? std::sqrt(sum / static_cast<double>(b - a)) : 0);
        fewest = std::min(fewest, b > a ? b - a : fewest);
    }
    // Neighbouring carriers of the Hann window share about half their noise, and segments
    // half overlapping a little of theirs.
    s.averages =
        std::max(1.0, 0.5 * static_cast<double>(fewest) * 0.95 * static_cast<double>(map.segments));
    return s;
}

namespace {

double kurtosisOf(const Spectrum& s, double top) {
    double n = 0, sum = 0, sum2 = 0;
    for (std::size_t i = 0; i < s.frequency.size() && s.frequency[i] <= top; ++i) {
        if (s.frequency[i] >= 1) {
            const double p = s.amplitude[i] * s.amplitude[i];
            n += 1, sum += p, sum2 += p * p;
        }
    }
    if (n < 4) {
        return 0;
    }
    const double mean = sum / n, variance = sum2 / n - mean * mean;
    if (!(variance > 0)) {
        return 0;
    }
    double fourth = 0;
    for (std::size_t i = 0; i < s.frequency.size() && s.frequency[i] <= top; ++i) {
        if (s.frequency[i] >= 1) {
            const double d = s.amplitude[i] * s.amplitude[i] - mean;
            fourth += d * d * d * d;
        }
    }
    return fourth / n / (variance * variance);
}

} // namespace

std::string coherenceCellText(const CoherenceMap& map, double cyclic, double carrier) {
    const double k = std::round(cyclic / map.cyclicStep), c = std::round(carrier / map.carrierStep);
    if (!(k >= 0 && c >= 0) || k >= static_cast<double>(map.cyclics) ||
        c >= static_cast<double>(map.carriers)) {
        return {};
    }
    const auto tenth = [](double v) { return formatGeneral(std::round(v * 10) / 10); };
    return "Циклическая " + tenth(k * map.cyclicStep) + " Гц · несущая " +
           tenth(c * map.carrierStep) + " Гц · когерентность " +
           formatGeneral(std::round(static_cast<double>(map.at(static_cast<std::size_t>(c),
                                                               static_cast<std::size_t>(k))) *
                                    1000) /
                         1000);
}

CyclicBand mostCyclicBand(const CoherenceMap& map, double cyclicTop) {
    const double step = map.carrierStep;
    const double top = static_cast<double>(map.carriers - 1) * step;
    CyclicBand best{{0, top}, kurtosisOf(enhancedEnvelopeSpectrum(map), cyclicTop)};
    // Each band's spectrum from running sums of the squares over the carriers, cyclic
    // frequency by cyclic frequency: sums[c * cyclics + k] over the carriers below c.
    const std::size_t cyclics =
        std::min(map.cyclics, static_cast<std::size_t>(std::floor(cyclicTop / map.cyclicStep)) + 1);
    std::vector<double> sums((map.carriers + 1) * cyclics);
    for (std::size_t c = 0; c < map.carriers; ++c) {
        for (std::size_t k = 0; k < cyclics; ++k) {
            const double v = map.at(c, k);
            sums[(c + 1) * cyclics + k] = sums[c * cyclics + k] + v * v;
        }
    }
    Spectrum ees;
    ees.frequency.resize(cyclics - 1);
    ees.amplitude.resize(cyclics - 1);
    std::vector<std::pair<std::size_t, std::size_t>> paired(cyclics);
    for (std::size_t k = 1; k < cyclics; ++k) {
        paired[k] = middles(map.carriers, shiftOf(map, k));
        ees.frequency[k - 1] = static_cast<double>(k) * map.cyclicStep;
    }
    for (std::size_t width = 4; 2 * width < map.carriers; width *= 2) {
        for (std::size_t from = 1; from + width < map.carriers; from += width / 2) {
            for (std::size_t k = 1; k < cyclics; ++k) {
                const auto [low, high] = paired[k];
                const std::size_t a = std::max(from, low), b = std::min(from + width, high);
                ees.amplitude[k - 1] =
                    b > a ? std::sqrt((sums[b * cyclics + k] - sums[a * cyclics + k]) /
                                      static_cast<double>(b - a))
                          : 0;
            }
            const double measure = kurtosisOf(ees, cyclicTop);
            if (measure > best.measure) {
                best = {{static_cast<double>(from) * step,
                         static_cast<double>(from + width - 1) * step},
                        measure};
            }
        }
    }
    return best;
}

} // namespace orbistan
