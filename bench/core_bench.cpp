// The computation and the general text form against the bare formula arithmetic.
#include "calc/compute.h"
#include "calc/numbers.h"

#include <benchmark/benchmark.h>

#include <cmath>

namespace {

using namespace orbistan;

BearingInputs bearing() {
    BearingInputs in;
    in.Z = 9, in.Fr = 25, in.dw = 7.938, in.a = 15, in.D = 52, in.d = 25, in.Dm = 38.5;
    in.multipliers.fill(1);
    return in;
}

// The floor: the seven formulas and fourteen sums, nothing else.
void BM_BareArithmetic(benchmark::State& st) {
    BearingInputs in = bearing();
    for (auto _ : st) {
        benchmark::DoNotOptimize(in);
        using X = long double;
        const X cs = std::cos(3.141592653589793238L * in.a / 180), rho = X(in.dw) / in.Dm;
        const X h = (X(in.Z) * in.Fr) / 2;
        double r[21];
        r[0] = double((1 - cs * rho) * h);
        r[1] = double((cs * rho + 1) * h);
        r[2] = double((1 - cs * cs * (rho * rho)) * ((X(in.Dm) * in.Fr) / (X(in.dw) * 2)));
        r[3] = double((1 - cs * rho) * (X(in.Fr) / 2));
        r[4] = double(h * ((X(in.Dm) - in.dw) / in.Dm));
        r[5] = double(h * ((X(in.Dm) + in.dw) / in.Dm));
        r[6] =
            double(((2 * X(in.Fr)) * ((X(in.Dm) + in.dw) / in.Dm)) * ((X(in.Dm) - in.dw) / in.Dm));
        const double base[4] = {r[0], r[1], r[2], in.Fr};
        for (int i = 0; i < 14; ++i) {
            r[7 + i] = double(X(in.multipliers[2 * i]) * base[i % 4] +
                              X(in.multipliers[2 * i + 1]) * r[3]);
        }
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_BareArithmetic);

void BM_Compute(benchmark::State& st) {
    BearingInputs in = bearing();
    for (auto _ : st) {
        benchmark::DoNotOptimize(in);
        auto r = computeFrequencies(in);
        benchmark::DoNotOptimize(roundResults(*r, 1000));
    }
}
BENCHMARK(BM_Compute);

// The whole button: 34 texts read and validated, then computed and rounded.
void BM_ComputeFromTexts(benchmark::State& st) {
    InputTexts t;
    t.fields = {"9", "25", "7,938", "52", "25", "15"};
    t.multipliers.fill("1");
    for (auto _ : st) {
        benchmark::DoNotOptimize(runComputation(t, 1000));
    }
}
BENCHMARK(BM_ComputeFromTexts);

// All 21 results as the window shows them.
void BM_FormatGeneral21(benchmark::State& st) {
    const auto r = *computeFrequencies(bearing());
    for (auto _ : st) {
        for (double v : r) {
            benchmark::DoNotOptimize(formatGeneral(v));
        }
    }
}
BENCHMARK(BM_FormatGeneral21);

} // namespace

namespace {
void BM_ComputeUnrounded(benchmark::State& st) {
    orbistan::BearingInputs in = bearing();
    for (auto _ : st) {
        benchmark::DoNotOptimize(in);
        benchmark::DoNotOptimize(orbistan::computeFrequencies(in));
    }
}
BENCHMARK(BM_ComputeUnrounded);
} // namespace
