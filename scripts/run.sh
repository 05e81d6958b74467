#!/usr/bin/env bash
# Installs what the build needs, builds the calculator and starts its window.
# The program keeps its data (Basa/, SaveWalz.Bmp) in the directory it is started from.
# Only what the program needs is installed: no test or benchmark libraries.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" $(cat "$root/scripts/packages-build.txt")
cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DBUILD_TESTING=OFF -DORBISTAN_BENCH=OFF >/dev/null
cmake --build "$root/build" --target orbistan
exec "$root/build/src/orbistan" "$@"
