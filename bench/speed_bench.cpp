// The shaft speed's search against the diagnosis it serves, in the same run: the diagnosis of
// a 10-second 48 kHz record at the speed typed as exact (the floor), then as it is made, with
// the running speed found first; and the search alone. The search may cost a third of the
// floor at most.
#include "spectrum/analysis/shaft_speed.h"
#include "spectrum/diagnosis/synth.h"
#include "spectrum/workbench/workbench.h"

#include <benchmark/benchmark.h>

#include <memory>

namespace {

using namespace orbistan;

// A 6205 slipping to 1725 rpm with an outer-race fault, typed at its nameplate's 1797.
std::shared_ptr<const Waveform> record() {
    static const std::shared_ptr<const Waveform> w = [] {
        SynthSettings s;
        const double k = 28.75 / 29.95;
        s.Fr = 28.75, s.Fo = 106.979844155844 * k, s.Fi = 162.570155844156 * k;
        s.Fw = 69.5234251692891 * k, s.Fq = 11.8866493506493 * k;
        s.sampleRate = 48000;
        auto r = std::make_shared<Waveform>();
        r->samples = synthesize(s);
        r->sampleRate = s.sampleRate;
        r->channels = 1;
        return r;
    }();
    return w;
}

const SearchBases kTyped{106.979844155844, 162.570155844156, 69.5234251692891, 11.8866493506493,
                         29.95};

void diagnose(benchmark::State& state, bool exact) {
    WorkbenchTask t = diagnosisTask("record.wav", {}, diagnosisTransform({}), kTyped, std::nullopt,
                                    false, kDefaultSlipPercent, std::nullopt);
    t.record = record();
    t.speed.exact = exact;
    for (auto _ : state) {
        const TaskResult r = runTask(t);
        benchmark::DoNotOptimize(r.diagnosis);
        if (!r.diagnosis) {
            state.SkipWithError("no diagnosis");
        }
    }
}

void BM_FloorDiagnosisAtTheSpeedTyped(benchmark::State& state) {
    diagnose(state, true);
}
BENCHMARK(BM_FloorDiagnosisAtTheSpeedTyped)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_DiagnosisAtTheSpeedFound(benchmark::State& state) {
    diagnose(state, false);
}
BENCHMARK(BM_DiagnosisAtTheSpeedFound)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_ShaftSpeedSearch(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(findShaftSpeeds(*record(), 29.95, {}));
    }
}
BENCHMARK(BM_ShaftSpeedSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
