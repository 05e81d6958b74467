// The spectral coherence map of a 10-second 48 kHz record (a bearing with an outer race's
// fault, its families' harmonics as the diagnosis looks at them) against one forward
// transform of the record, measured in the same run; and the memory the map takes beyond
// the record, per sample, in a process of its own so that nothing else counts.
//   bench_coherence [SECONDS=10]
// Prints the times and ratios; exits 1 when the map takes more than 20 transforms or 40
// bytes a sample.
#include "spectrum/diagnosis/synth.h"
#include "spectrum/dsp/band_map.h"
#include "spectrum/dsp/cyclic.h"
#include "spectrum/dsp/fft.h"

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>

namespace {

using namespace orbistan;
using Clock = std::chrono::steady_clock;

constexpr double kRate = 48000;
constexpr double kTop = 6 * 162.57;        // six times the inner race's Fi at 29,95 Hz
constexpr double kResolution = 29.95 / 60; // as the diagnosis takes it
constexpr int kRuns = 5;

std::vector<double> record(double seconds) {
    SynthSettings s;
    s.fault = FaultFamily::Outer;
    s.Fr = 29.95, s.Fo = 106.98, s.Fi = 162.57, s.Fw = 69.52, s.Fq = 11.89;
    s.sampleRate = kRate;
    s.seconds = seconds;
    s.noise = 0.5;
    return synthesize(s);
}

// The map as the window and the diagnosis make it: the record pre-whitened, its coherence,
// the carriers whose modulation recurs most and their enhanced envelope spectrum.
double map(const std::vector<double>& x) {
    fft::InPlace white = preWhitened(x);
    const CoherenceMap m = spectralCoherence(std::span<const double>(white.samples(), x.size()),
                                             kRate, kTop, kResolution);
    const CyclicBand band = mostCyclicBand(m, kTop);
    return enhancedEnvelopeSpectrum(m, band.band).amplitude.front();
}

double transform(const std::vector<double>& x) {
    fft::InPlace buffer(fft::goodEvenSize(x.size()));
    std::copy(x.begin(), x.end(), buffer.samples());
    std::fill(buffer.samples() + x.size(), buffer.samples() + buffer.size(), 0.0);
    buffer.forward();
    return buffer.lines()[1][0];
}

template <typename F> double fastest(F&& f) {
    double best = 1e9, sink = 0;
    for (int i = 0; i < kRuns; ++i) {
        const auto start = Clock::now();
        sink += f();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return sink == 12345 ? 0 : best; // the results used, so that nothing is left out
}

long statusKilobytes(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(std::string(field).size()));
        }
    }
    return 0;
}

// The peak resident memory the map adds, in a child that has the record already.
double mapBytesPerSample(const std::vector<double>& x) {
    int pipe[2];
    if (::pipe(pipe) != 0) {
        return -1;
    }
    const pid_t child = fork();
    if (child == 0) {
        const long before = statusKilobytes("VmRSS:");
        map(x);
        const double bytes = 1024.0 * static_cast<double>(statusKilobytes("VmHWM:") - before);
        const bool written = write(pipe[1], &bytes, sizeof bytes) == sizeof bytes;
        _exit(written ? 0 : 1);
    }
    double bytes = -1;
    if (read(pipe[0], &bytes, sizeof bytes) != sizeof bytes) {
        bytes = -1;
    }
    waitpid(child, nullptr, 0);
    return bytes / static_cast<double>(x.size());
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::stod(argv[1]) : 10;
    const std::vector<double> x = record(seconds);
    // First, while nothing freed lies in the heap for the map to take again unseen.
    const double perSample = mapBytesPerSample(x);
    transform(x), map(x); // plans made, pages touched
    const double floor = fastest([&] { return transform(x); });
    const double took = fastest([&] { return map(x); });
    std::printf("record: %.0f s at %.0f Hz, %zu samples\n", seconds, kRate, x.size());
    std::printf("one forward transform: %.2f ms\n", floor * 1e3);
    std::printf("coherence map: %.2f ms: %.1f transforms (limit 20)\n", took * 1e3, took / floor);
    std::printf("memory beyond the record: %.1f bytes a sample (limit 40)\n", perSample);
    return took <= 20 * floor && perSample >= 0 && perSample <= 40 ? 0 : 1;
}
