#!/usr/bin/python3
"""The band search and the envelope beside the numpy/scipy script an analyst would write,
in one run, interleaved: CPU time (user + system) and peak resident memory of each process,
read by wait4 (getrusage of the child). Records of 60 and 600 seconds at 48 kHz made by
`orbistan-cli synth`, and copies cut to a prime number of samples. Medians of REPS runs.
The script's side is skipped, and said so, where python3-numpy or python3-scipy is absent.

    bench/python/envelope_bench.py build/src/orbistan-cli [--reps 3] [--seconds 60,600]
"""
import argparse
import os
import statistics
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
GEOMETRY = ["--Z", "9", "--Fr", "29.95", "--dw", "7.94", "--D", "39.04", "--d", "25", "--a", "0"]


def run(command):
    """CPU seconds and peak resident bytes of one process."""
    with open(os.devnull, "wb") as null:
        p = subprocess.Popen(command, stdout=null, stderr=null)
        _, status, usage = os.wait4(p.pid, 0)
    if os.waitstatus_to_exitcode(status) != 0:
        sys.exit(f"failed: {' '.join(command)}")
    return usage.ru_utime + usage.ru_stime, usage.ru_maxrss * 1024


def numpy_present():
    return subprocess.run(["/usr/bin/python3", "-c", "import numpy, scipy"],
                          capture_output=True).returncode == 0


def main():
    a = argparse.ArgumentParser()
    a.add_argument("cli")
    a.add_argument("--reps", type=int, default=3)
    a.add_argument("--seconds", default="60,600")
    args = a.parse_args()
    cli = os.path.abspath(args.cli)
    script = numpy_present()
    if not script:
        print("numpy/scipy absent (apt-get install python3-numpy python3-scipy): "
              "the script's side is skipped")
    work = tempfile.mkdtemp(prefix="orbistan-envelope-bench-")
    records = []
    for seconds in args.seconds.split(","):
        path = os.path.join(work, f"r{seconds}.wav")
        subprocess.run([cli, "synth", "--fault", "outer", "--out", path, *GEOMETRY,
                        "--rate", "48000", "--seconds", seconds], check=True)
        prime = os.path.join(work, f"p{seconds}.wav")
        frames = subprocess.run([sys.executable, os.path.join(HERE, "prime_length_wav.py"),
                                 path, prime], check=True, capture_output=True, text=True)
        records.append((f"{seconds} s", path, 48000 * int(seconds)))
        records.append((f"{seconds} s, prime length", prime, int(frames.stdout)))
    baseline = statistics.median(run([cli, "compute", *GEOMETRY])[1] for _ in range(3))
    print(f"the command line's own resident memory, reading nothing: {baseline / 2**20:.1f} MiB")
    kinds = {
        "band search": lambda f: [cli, "envelope", f, "--band", "auto"],
        "fixed band": lambda f: [cli, "envelope", f, "--band", "2000:4000"],
        "diagnose": lambda f: [cli, "diagnose", f, *GEOMETRY],
    }
    if script:
        kinds["numpy script"] = lambda f: ["/usr/bin/python3", os.path.join(HERE, "band_search.py"), f]
    results = {}
    for rep in range(args.reps):  # interleaved: every command once per round
        for name, path, _ in records:
            for kind, command in kinds.items():
                results.setdefault((name, kind), []).append(run(command(path)))
    print(f"{'record':24} {'what':14} {'CPU s':>8} {'peak MiB':>9} {'B/sample':>9}")
    for name, _, samples in records:
        for kind in kinds:
            cpu = statistics.median(r[0] for r in results[(name, kind)])
            peak = statistics.median(r[1] for r in results[(name, kind)])
            print(f"{name:24} {kind:14} {cpu:8.2f} {peak / 2**20:9.1f} {peak / samples:9.1f}")
    for name, _, _ in records:
        cpu = {k: statistics.median(r[0] for r in results[(name, k)]) for k in kinds}
        if script:
            print(f"{name}: band search / numpy script = {cpu['band search'] / cpu['numpy script']:.2f}")
    for seconds in args.seconds.split(","):
        for kind in ("band search", "fixed band"):
            r = statistics.median(x[0] for x in results[(f"{seconds} s", kind)])
            p = statistics.median(x[0] for x in results[(f"{seconds} s, prime length", kind)])
            print(f"{seconds} s {kind}: prime / round length = {p / r:.2f}")


if __name__ == "__main__":
    main()
