// Opening a 10-second 48 kHz one-channel WAV as a spectrum, against the floor of the same
// run: the bare libsndfile read of the record plus one bare FFTW transform of it. And the
// explanation of the 50 highest peaks of a synthetic fault's spectrum.
#include "calc/frequencies.h"
#include "platform/atomic_file.h"
#include "spectrum/explain.h"
#include "spectrum/open_file.h"
#include "spectrum/synth.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>
#include <sndfile.h>

#include <filesystem>
#include <vector>

namespace {

using namespace orbistan;

// The frequencies of a 6205 at 1797 rpm.
SynthSettings outerFault(double rate) {
    SynthSettings s;
    s.Fr = 29.95, s.Fo = 106.979844155844, s.Fi = 162.570155844156;
    s.Fw = 69.5234251692891, s.Fq = 11.8866493506493;
    s.sampleRate = rate;
    return s;
}

const std::filesystem::path& record() {
    static const std::filesystem::path path = [] {
        const auto p = std::filesystem::temp_directory_path() / "orbistan-bench-10s-48k.wav";
        writeFileAtomically(p, encodeWav(synthesize(outerFault(48000)), 48000));
        return p;
    }();
    return path;
}

void BM_FloorBareReadAndTransform(benchmark::State& st) {
    for (auto _ : st) {
        SF_INFO info{};
        SNDFILE* f = sf_open(record().c_str(), SFM_READ, &info);
        std::vector<double> x(static_cast<std::size_t>(info.frames));
        sf_readf_double(f, x.data(), info.frames);
        sf_close(f);
        const int n = static_cast<int>(x.size());
        auto* out = fftw_alloc_complex(static_cast<std::size_t>(n / 2 + 1));
        fftw_plan plan = fftw_plan_dft_r2c_1d(n, x.data(), out, FFTW_ESTIMATE);
        fftw_execute(plan);
        benchmark::DoNotOptimize(out[1][0]);
        fftw_destroy_plan(plan);
        fftw_free(out);
    }
}
BENCHMARK(BM_FloorBareReadAndTransform)->Unit(benchmark::kMillisecond)->UseRealTime();

// The whole record in one transform, as the floor does it; then the analyser's usual 3200
// lines averaged over overlapping segments.
void BM_OpenWaveformAsSpectrum(benchmark::State& st) {
    const TransformSettings settings{WindowKind::Hann, static_cast<int>(st.range(0))};
    for (auto _ : st) {
        benchmark::DoNotOptimize(openSpectrumFile(record(), 0, settings).spectrum.amplitude[1]);
    }
}
BENCHMARK(BM_OpenWaveformAsSpectrum)
    ->Arg(0)
    ->Arg(3200)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

void BM_Explain50HighestPeaks(benchmark::State& st) {
    const Spectrum s = openSpectrumFile(record(), 0, {}).spectrum;
    const std::vector<Peak> peaks = findPeaks(s, 50);
    const SynthSettings b = outerFault(48000);
    for (auto _ : st) {
        benchmark::DoNotOptimize(explainPeaks(peaks, {b.Fo, b.Fi, b.Fw, b.Fq, b.Fr},
                                              {0, 1, 1, 10, 1000}, 1, s.resolution));
    }
}
BENCHMARK(BM_Explain50HighestPeaks)->Unit(benchmark::kMillisecond);

} // namespace
