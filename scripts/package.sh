#!/usr/bin/env bash
# Builds the release and its Debian package: build-release/orbistan_<version>_<arch>.deb.
# Install it with: sudo apt-get install ./build-release/orbistan_*.deb
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/deps.sh" $(cat "$root/scripts/packages-build.txt" "$root/scripts/packages-package.txt")
cmake -S "$root" -B "$root/build-release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DBUILD_TESTING=OFF -DORBISTAN_BENCH=OFF >/dev/null
cmake --build "$root/build-release"
cd "$root/build-release"
cpack -G DEB
