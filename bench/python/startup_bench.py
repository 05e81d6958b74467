#!/usr/bin/python3
"""Start-up beside the peers: launch to the main window mapped, for Орбистан, SpeedCrunch,
galculator (Debian packages; a peer not installed is skipped, and said so) and a bare Qt 6
window of one label, measured by map_wait on an Xvfb display of its own, each program in its
own empty working directory, one warm-up launch each, then ROUNDS interleaved rounds.
Prints each program's median and the ratios the start-up is judged by.

    bench/python/startup_bench.py BUILD_DIR [--rounds 9] [--also NAME=PROGRAM]...

--also adds a program to the rounds: another build of the window program, say.
"""
import argparse
import os
import shutil
import statistics
import subprocess
import tempfile
import time


def main():
    a = argparse.ArgumentParser()
    a.add_argument("build")
    a.add_argument("--rounds", type=int, default=9)
    a.add_argument("--also", action="append", default=[])
    args = a.parse_args()
    build = os.path.abspath(args.build)
    map_wait = os.path.join(build, "bench", "map_wait")
    programs = {
        "Орбистан": [os.path.join(build, "src", "orbistan")],
        "bare Qt label": [os.path.join(build, "bench", "bench_bare_label")],
    }
    for extra in args.also:
        name, program = extra.split("=", 1)
        programs[name] = [os.path.abspath(program)]
    for name, command in (("SpeedCrunch", "speedcrunch"), ("galculator", "galculator")):
        if shutil.which(command):
            programs[name] = [command]
        else:
            print(f"{name} is not installed (apt-get install {command}): skipped")
    xvfb = subprocess.Popen(["Xvfb", ":77", "-screen", "0", "1400x1000x24", "-nolisten", "tcp"],
                            stderr=subprocess.DEVNULL)
    time.sleep(1.5)
    env = dict(os.environ, DISPLAY=":77", QT_QPA_PLATFORM="xcb")
    env.pop("WAYLAND_DISPLAY", None)
    work = tempfile.mkdtemp(prefix="orbistan-startup-")
    times = {name: [] for name in programs}
    try:
        for round_ in range(args.rounds + 1):
            for name, command in programs.items():
                home = os.path.join(work, name.replace(" ", "_"))
                os.makedirs(home, exist_ok=True)
                out = subprocess.run([map_wait, *command], cwd=home, capture_output=True,
                                     text=True, env=dict(env, HOME=home))
                if out.returncode != 0:
                    raise SystemExit(f"{name}: {out.stderr.strip()}")
                if round_ > 0:  # the first launch makes the program's files: not counted
                    times[name].append(float(out.stdout))
    finally:
        xvfb.terminate()
        shutil.rmtree(work, ignore_errors=True)
    load = os.getloadavg()[0]
    print(f"launch to the main window mapped, medians of {args.rounds} interleaved rounds "
          f"(load {load:.2f}):")
    median = {name: statistics.median(t) for name, t in times.items()}
    for name, t in times.items():
        print(f"  {name:14} {median[name]:7.1f} ms  (from {min(t):.1f} to {max(t):.1f})")
    peers = [median[p] for p in ("SpeedCrunch", "galculator") if p in median]
    if peers:
        print(f"Орбистан / the faster peer = {median['Орбистан'] / min(peers):.2f} (at most 0,9)")
    print(f"Орбистан / bare Qt label = {median['Орбистан'] / median['bare Qt label']:.2f} "
          "(at most 2,5)")


if __name__ == "__main__":
    main()
