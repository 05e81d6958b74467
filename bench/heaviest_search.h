#pragma once
// The heaviest search the limits allow, shared by the core and the window benchmarks.

#include "calc/compute.h"
#include "search/search.h"

namespace orbistan {

// Bearing 6205 computed at hundredths, searched with every limit at its maximum.
struct Heaviest {
    SearchBases bases;
    SearchParameters params{0, 20, 0.5, 50, 40000};
    Heaviest() {
        InputTexts t;
        t.fields = {"9", "25", "7,938", "52", "25", "0"};
        t.multipliers.fill("1");
        const ComputeOutcome c = runComputation(t, 100);
        bases = {c.results[Fo], c.results[Fi], c.results[Fw], c.results[Fq], 25};
        // The searched value with the most hits among a few candidates.
        int best = -1;
        for (double s : {0.0, 50.0, 100.0, 250.0, 500.0, 1000.0}) {
            SearchParameters p = params;
            p.value = s;
            const SearchResult r = runSearch(bases, p, 100);
            int hits = 0;
            for (int n : r.counts) {
                hits += n;
            }
            if (hits > best) {
                best = hits;
                params = p;
            }
        }
    }
};

inline const Heaviest& heaviest() {
    static const Heaviest h;
    return h;
}

} // namespace orbistan
