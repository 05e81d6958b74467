#!/usr/bin/python3
"""The spectrum benchmarks' ratios to their floors, over several runs of bench_spectrum (each
with repetitions, in random interleaving), and how far they vary between runs.

    bench/python/spectrum_ratios.py build/bench/bench_spectrum [--runs 3] [--repetitions 5]
"""
import argparse
import json
import statistics
import subprocess

RATIOS = [
    ("open 10 s, whole record", "BM_OpenWaveformAsSpectrum/0/real_time",
     "BM_FloorBareReadAndTransform/real_time"),
    ("open 10 s, 3 200 lines", "BM_OpenWaveformAsSpectrum/3200/real_time",
     "BM_FloorBareReadAndTransform/real_time"),
    ("envelope 8-12 kHz", "BM_EnvelopeSpectrum/real_time", "BM_FloorForwardAndInverse/real_time"),
    ("span 500 Hz of 60 s", "BM_SpanOfAMinute/500/real_time",
     "BM_FloorBareTransformOfDecimated/500/real_time"),
    ("span 5 kHz of 60 s", "BM_SpanOfAMinute/5000/real_time",
     "BM_FloorBareTransformOfDecimated/5000/real_time"),
    ("span 500 Hz / same lines undecimated", "BM_SpanOfAMinute/500/real_time",
     "BM_SameLinesWithoutDecimating/real_time"),
]


def one_run(program, repetitions):
    out = subprocess.run([program, f"--benchmark_repetitions={repetitions}",
                          "--benchmark_enable_random_interleaving=true",
                          "--benchmark_format=json"], check=True, capture_output=True, text=True)
    times = {}
    for b in json.loads(out.stdout)["benchmarks"]:
        if b.get("run_type") == "iteration":
            times.setdefault(b["run_name"], []).append(b["real_time"])
    return {name: statistics.median(t) for name, t in times.items()}


def main():
    a = argparse.ArgumentParser()
    a.add_argument("program")
    a.add_argument("--runs", type=int, default=3)
    a.add_argument("--repetitions", type=int, default=5)
    args = a.parse_args()
    runs = [one_run(args.program, args.repetitions) for _ in range(args.runs)]
    print(f"{'ratio':40}" + "".join(f"{'run ' + str(i + 1):>9}" for i in range(len(runs)))
          + f"{'spread':>9}")
    for label, work, floor in RATIOS:
        ratios = [r[work] / r[floor] for r in runs]
        spread = max(ratios) / min(ratios) - 1
        print(f"{label:40}" + "".join(f"{x:9.2f}" for x in ratios) + f"{spread:8.0%}")


if __name__ == "__main__":
    main()
