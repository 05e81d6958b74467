// The heaviest search the limits allow, against the bare arithmetic of its grid.
#include "heaviest_search.h"

#include <benchmark/benchmark.h>

namespace {

using namespace orbistan;

// The floor: the grid's values and the tolerance test, nothing kept, nothing written.
void BM_SearchGridArithmetic(benchmark::State& st) {
    const Heaviest& h = heaviest();
    const double first[14] = {h.bases.Fo, h.bases.Fo, h.bases.Fr, h.bases.Fr, h.bases.Fw,
                              h.bases.Fw, h.bases.Fi, h.bases.Fi, h.bases.Fi, h.bases.Fi,
                              h.bases.Fw, h.bases.Fw, h.bases.Fo, h.bases.Fo};
    const double FrFq = h.bases.Fr - h.bases.Fq;
    const double second[14] = {h.bases.Fq, h.bases.Fq, h.bases.Fq, h.bases.Fq, h.bases.Fr,
                               h.bases.Fr, h.bases.Fr, h.bases.Fr, FrFq,       FrFq,
                               h.bases.Fq, h.bases.Fq, h.bases.Fr, h.bases.Fr};
    const double low = h.params.value - h.params.tolerance;
    const double high = h.params.value + h.params.tolerance;
    for (auto _ : st) {
        int hits = 0;
        for (double n = 0; n <= 50; n += 0.5) {
            for (double m = 0; m <= 50; m += 0.5) {
                for (int c = 0; c < 14; ++c) {
                    const double v =
                        c % 2 == 0 ? m * first[c] + n * second[c] : m * first[c] - n * second[c];
                    hits += low <= v && v <= high;
                }
            }
        }
        benchmark::DoNotOptimize(hits);
    }
}
BENCHMARK(BM_SearchGridArithmetic)->Unit(benchmark::kMicrosecond);

void BM_SearchCore(benchmark::State& st) {
    const Heaviest& h = heaviest();
    int lines = 0;
    for (auto _ : st) {
        const SearchResult r = runSearch(h.bases, h.params, 100);
        lines = 0;
        for (int n : r.counts) {
            lines += n;
        }
        benchmark::DoNotOptimize(r);
    }
    st.counters["lines"] = lines;
}
BENCHMARK(BM_SearchCore)->Unit(benchmark::kMicrosecond);

} // namespace
