#pragma once
// A measured or computed amplitude spectrum, and what long spectrum work shares: the
// progress it reports and the cancel it obeys. Texts here are display texts (UTF-8).

#include "spectrum/signal/file_problem.h"
#include "spectrum/signal/units.h"

#include <atomic>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orbistan {

enum class WindowKind { Hann, FlatTop, Rect };

struct Spectrum {
    std::vector<double> frequency; // Hz, strictly ascending
    std::vector<double> amplitude; // same length
    Units units;                   // what the amplitudes measure; captions come from it
    std::string source;            // the file it came from, as the user named it
    double resolution = 0;         // Hz between neighbouring lines
    // How many independent spectra its lines average, in effect: how far a line of noise
    // scatters (1: one transform, or not known; more for overlapping segments averaged).
    double averages = 1;
    int segments = 0;      // the transform's segments averaged; 0 for a file's spectrum
    bool peakHold = false; // each line the largest of the segments', not their average
    // The window its lines were transformed with; none for a spectrum read from a file,
    // whose window is not known. A peak's place between the lines follows its shape.
    std::optional<WindowKind> window = std::nullopt;
};

// "шаг 0,163 Гц, до 520,8 Гц, усреднений: 28": the spacing of the lines to three significant
// digits, the highest line to a tenth of a hertz, and how many segments were averaged (or
// held at their peak: "пиковое удержание: 28") for a transformed record; empty for a
// spectrum of fewer than two lines.
std::string lineSpacingText(const Spectrum& s);

// A frequency's decimals as the cursor reads it: enough to tell neighbouring lines apart, two
// more than the resolution needs.
int frequencyDecimals(double resolution);

// Thrown out of long work when its cancel flag was raised.
struct SpectrumCancelled {};

// Reports the fraction done (0 … 1) and stops the work when asked to.
class Progress {
public:
    Progress() = default;
    Progress(std::function<void(double)> report, const std::atomic<bool>* cancel)
        : report_(std::move(report)), cancel_(cancel) {}
    // Throws SpectrumCancelled when the cancel flag is up.
    void step(double fraction) const {
        if (cancel_ && cancel_->load(std::memory_order_relaxed)) {
            throw SpectrumCancelled{};
        }
        if (report_) {
            report_(fraction);
        }
    }

private:
    std::function<void(double)> report_;
    const std::atomic<bool>* cancel_ = nullptr;
};

// Throws SpectrumFileError when work would need more than `bytes` of memory than may be
// taken: half the machine's memory, or half the address space the process may have. Memory
// exhausted in the middle of FFTW's planning would end the process.
void requireMemory(double bytes);

// The sample rates a recording may have: finite, 1 Hz … 10 MHz.
inline constexpr double kMinSampleRate = 1, kMaxSampleRate = 1e7;
// Throws SpectrumFileError naming the file and the rate when it is outside those.
void requireSampleRate(double rate, const std::string& fileName);
// "12000", "48828,125": a rate as messages write it.
std::string rateText(double rate);
// A refused value with every digit that tells it from the limit it broke ("1,0000001e+30",
// never "1e+30"): the shortest text that reads back as the value, with a decimal comma.
std::string exactText(double value);

} // namespace orbistan
