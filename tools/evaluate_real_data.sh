#!/usr/bin/env bash
# The diagnosis of every record of the public bearing data sets found in a folder, as
# docs/real-data.md reports it: one line per record, tab-separated, the file, the fault its
# name says, the load (the CWRU 0 hp records and the first MFPT load are the held-out set),
# and the first family and verdict of `orbistan-cli diagnose`, the shaft speed taken from
# the file (or, for the few CWRU files that hold none, the data set's nominal speed for the
# load: 1797, 1772, 1750 and 1730 rpm).
#   tools/evaluate_real_data.sh CLI FOLDER [more diagnose options]
# FOLDER holds the CWRU files as the data set names them (12k_Drive_End_IR007_1_106.mat,
# 48k_Drive_End_…, normal_0_97.mat) and the MFPT ones (InnerRaceFault_vload_1.mat, …).
set -euo pipefail
cli="$1"
folder="$2"
shift 2
cwru=(--Z 9 --dw 7,94 --D 52 --d 26,08 --a 0)
mfpt=(--Z 8 --dw 5,969 --D 40 --d 23,246 --a 0)
for f in "$folder"/*.mat; do
    b="$(basename "$f")"
    case "$b" in
    12k_*) args=("${cwru[@]}" --rate 12000) ;;
    48k_* | normal_*) args=("${cwru[@]}" --rate 48000) ;;
    *Fault_vload_*) args=("${mfpt[@]}") ;;
    *) continue ;;
    esac
    case "$b" in
    *_B0*) fault=ball ;; *_IR0* | InnerRace*) fault=inner ;; *_OR0* | OuterRace*) fault=outer ;;
    *) fault=none ;;
    esac
    case "$b" in
    *vload_*) load="${b##*_}" load="${load%.mat}" ;;
    normal_*) load="$(echo "$b" | cut -d_ -f2)" ;;
    *) load="$(echo "$b" | sed -E 's/.*_([0-3])_[0-9]+\.mat/\1/')" ;;
    esac
    if ! out="$("$cli" diagnose "$f" "${args[@]}" "$@" 2>/dev/null)"; then
        nominal=(29,95 29,5333 29,1667 28,8333)
        out="$("$cli" diagnose "$f" "${args[@]}" --Fr "${nominal[$load]}" "$@" 2>/dev/null)" ||
            out=""
    fi
    first="$(printf '%s\n' "$out" | head -n 1 | cut -f 1,3)"
    printf '%s\t%s\t%s\t%s\n' "$b" "$fault" "$load" "${first:-unread}"
done
