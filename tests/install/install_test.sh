#!/usr/bin/env bash
# The installed program as a desktop finds it: the files `cmake --install` puts in place, their
# validation, the data directory of a start from the desktop menu, and the Debian package.
#   install_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
pids=()
cleanup() {
    for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
id=org.orbistan.Orbistan

DESTDIR="$work/root" cmake --install "$build" --prefix /usr >/dev/null
usr=$work/root/usr
for f in bin/orbistan bin/orbistan-cli; do
    [ -x "$usr/$f" ] || fail "$f is not installed"
done

# The spectrum window's library, where the program looks for it (relative to the program,
# as the program states it), with every library it needs found and its entry point exported.
from_bin=$(strings -a -el "$usr/bin/orbistan" | grep -m1 -E '^\.\./lib.*/orbistan$' || true)
workbench=$usr/bin/$from_bin/liborbistan_workbench.so
if [ -z "$from_bin" ] || [ ! -f "$workbench" ]; then
    fail "the spectrum window's library is not where the program looks (bin/$from_bin)"
else
    ! ldd "$workbench" | grep -q 'not found' || fail "the spectrum window's library lacks: $(ldd "$workbench" | grep 'not found')"
    nm -D --defined-only "$workbench" | grep -q ' orbistanCreateSpectrumWorkbench$' ||
        fail "the spectrum window's library exports no entry point"
fi
ldd "$usr/bin/orbistan" | grep -qE 'libsndfile|libmatio|libfftw3|QCustomPlot' &&
    fail "the window program loads the spectrum's libraries at start"

desktop=$usr/share/applications/$id.desktop
metainfo=$usr/share/metainfo/$id.metainfo.xml
out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate: $out"
grep -q '^Name\[ru\]=Орбистан$' "$desktop" || fail "no Russian name in the desktop entry"
out=$(appstreamcli validate --no-net "$metainfo" 2>&1) || fail "appstreamcli validate: $out"

# The icons: one SVG and a PNG of the stated size in every hicolor folder.
grep -q '<circle' "$usr/share/icons/hicolor/scalable/apps/$id.svg" || fail "no drawn SVG icon"
for size in 16 22 24 32 48 64 128 256; do
    png=$usr/share/icons/hicolor/${size}x${size}/apps/$id.png
    if [ ! -f "$png" ]; then
        fail "no ${size}x${size} icon"
        continue
    fi
    # PNG signature, then IHDR: width and height as big-endian 32-bit numbers at bytes 16-23.
    read -r w h < <(od -An -tu1 -j16 -N8 "$png" | awk '{print $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8}')
    [ "$w $h" = "$size $size" ] || fail "${size}x${size} icon is ${w}x${h}"
done

# Starts a command in its own folder until the file appears (or 60 s pass), then ends it.
start_until() {
    local dir=$1 wanted=$2
    shift 2
    mkdir -p "$dir"
    (cd "$dir" && exec env QT_QPA_PLATFORM=offscreen PATH="$usr/bin:$PATH" "$@") >"$work/log" 2>&1 &
    local pid=$!
    pids+=("$pid")
    for _ in $(seq 600); do
        [ -e "$wanted" ] && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    [ -e "$wanted" ] || { fail "$* in $dir made no $wanted"; cat "$work/log"; }
}

# The desktop entry's command keeps the data in the user's data directory, created on first
# start, and nothing in the folder it was started from.
read -ra exec_line < <(sed -n 's/^Exec=//p' "$desktop" | sed 's/ %[fFuU]//g')
start_until "$work/menu" "$work/xdg/orbistan/Basa/Russian" env XDG_DATA_HOME="$work/xdg" HOME="$work/home" "${exec_line[@]}"
[ -z "$(ls -A "$work/menu")" ] || fail "the desktop start wrote into its working folder: $(ls -A "$work/menu")"
start_until "$work/menu2" "$work/home/.local/share/orbistan/Basa/Group" env -u XDG_DATA_HOME HOME="$work/home" "${exec_line[@]}"
# From a terminal it keeps using the folder it is started from.
start_until "$work/terminal" "$work/terminal/Basa/Russian" env XDG_DATA_HOME="$work/xdg2" HOME="$work/home" orbistan
[ ! -e "$work/xdg2" ] || fail "a terminal start used the user's data directory"

# The Debian package: the files above, and Depends computed from the binaries.
cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/deb" >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$work"/deb/orbistan_*.deb 2>/dev/null | head -n 1)
from_bin_lib=${from_bin#../lib/}
if [ -n "$deb" ]; then
    depends=$(dpkg-deb -f "$deb" Depends)
    for lib in libqt6widgets6 libqcustomplot2.1-qt6 libc6 qt6-translations-l10n libfftw3-double3 \
        libsndfile1 libmatio11; do
        [[ "$depends" == *"$lib"* ]] || fail "the package does not depend on $lib: $depends"
    done
    contents=$(dpkg-deb -c "$deb")
    for f in ./usr/bin/orbistan ./usr/bin/orbistan-cli ./usr/lib/$from_bin_lib/liborbistan_workbench.so \
        ./usr/share/applications/$id.desktop \
        ./usr/share/metainfo/$id.metainfo.xml ./usr/share/icons/hicolor/48x48/apps/$id.png; do
        grep -qF " $f" <<<"$contents" || fail "the package lacks $f"
    done
else
    fail "cpack made no orbistan_*.deb"
fi
if [ "$failures" -ne 0 ]; then
    echo "$failures failed"
    exit 1
fi
echo "install checks passed"
