#!/usr/bin/env bash
# The diagnosis of every record of the public bearing data sets found in a folder, as
# docs/real-data.md reports it: one line per record, tab-separated — the file, the fault its
# name says, the load, the set (the CWRU 0 hp records and the first MFPT load are held out;
# the MFPT baselines, where present, too), the first family and verdict of
# `orbistan-cli diagnose`, whether the record is named (its fault first and at least weak;
# for a healthy record, nothing strong), the families called strong that are not its
# fault, whether the verdict said «тело качения: модуляция сепаратором» (the cage's family
# first), and the shaft speed the families were judged at, as `found` says it. The shaft speed is taken from the file, or, for the few CWRU files that
# hold none, the data set's nominal speed for the load (1797, 1772, 1750 and 1730 rpm).
# After the records, a summary per set: records named, families wrongly called strong,
# healthy records with a strong family, rolling-element records named (and those of them
# named through the cage's modulation), and other records where the cage's modulation was
# said.
# With --speed-error P (percent, signed), every record's speed is typed P % off the one it
# was recorded at, as a user typing the nameplate's speed would: the diagnosis finds the
# running speed itself.
#   tools/evaluate_real_data.sh CLI FOLDER [--speed-error P] [more diagnose options]
# FOLDER holds the CWRU files as the data set names them (12k_Drive_End_IR007_1_106.mat,
# 48k_Drive_End_…, normal_0_97.mat) and the MFPT ones (InnerRaceFault_vload_1.mat, …,
# baseline_1.mat).
set -euo pipefail
cli="$1"
folder="$2"
shift 2
error=""
if [ "${1:-}" = --speed-error ]; then
    error="$2"
    shift 2
fi
cwru=(--Z 9 --dw 7,94 --D 52 --d 26,08 --a 0)
mfpt=(--Z 8 --dw 5,969 --D 40 --d 23,246 --a 0)
{
    for f in "$folder"/*.mat; do
        b="$(basename "$f")"
        case "$b" in
        12k_*) args=("${cwru[@]}" --rate 12000) ;;
        48k_* | normal_*) args=("${cwru[@]}" --rate 48000) ;;
        *Fault_vload_* | baseline_*) args=("${mfpt[@]}") ;;
        *) continue ;;
        esac
        case "$b" in
        *_B0*) fault=ball ;; *_IR0* | InnerRace*) fault=inner ;; *_OR0* | OuterRace*) fault=outer ;;
        *) fault=none ;;
        esac
        case "$b" in
        *vload_*) load="${b##*_}" load="${load%.mat}" ;;
        baseline_*) load=270lbs ;;
        normal_*) load="$(echo "$b" | cut -d_ -f2)" ;;
        *) load="$(echo "$b" | sed -E 's/.*_([0-3])_[0-9]+\.mat/\1/')" ;;
        esac
        case "$b" in
        12k_*) set=cwru12 ;; 48k_* | normal_*) set=cwru48 ;; *) set=mfpt ;;
        esac
        case "$b" in
        *vload_1.mat | baseline_* | *_0_*) held="held out" ;; *) held=tuning ;;
        esac
        # The speed it was recorded at: its own, else the data set's for the load.
        speed=()
        if ! "$cli" diagnose "$f" "${args[@]}" --Fr-exact >/dev/null 2>&1; then
            nominal=(29,95 29,5333 29,1667 28,8333)
            speed=(--Fr "${nominal[$load]}")
        fi
        if [ -n "$error" ]; then
            recorded="$("$cli" diagnose "$f" "${args[@]}" "${speed[@]}" --Fr-exact 2>/dev/null |
                awk -F'\t' 'NR == 1 { sub(/.*; Fr /, "", $4); sub(/ Hz.*/, "", $4); print $4 }')"
            speed=(--Fr "$(awk -v fr="${recorded/,/.}" -v e="$error" \
                'BEGIN { v = sprintf("%.4f", fr * (1 + e / 100)); sub(/\./, ",", v); print v }')")
        fi
        out="$("$cli" diagnose "$f" "${args[@]}" "${speed[@]}" "$@" 2>/dev/null)" || out=""
        # awk reads the whole: `head` would leave printf writing into a closed pipe, which
        # pipefail and set -e turn into the end of the run.
        first="$(printf '%s\n' "$out" | awk -F'\t' 'NR == 1 { print $1 "\t" $3 }')"
        cage="$(printf '%s\n' "$out" | awk -F'\t' 'NR == 1 { print index($4, "cage'"'"'s modulation") ? "cage" : "-" }')"
        wrong="$(printf '%s\n' "$out" | awk -F'\t' -v fault="$fault" \
            '$3 == "strong" && $1 != fault { printf "%s%s", n++ ? "," : "", $1 }')"
        fr="$(printf '%s\n' "$out" | awk -F'\t' 'NR == 1 { sub(/.*; Fr /, "Fr ", $4); print $4 }')"
        printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$b" "$fault" "$load" "$set $held" \
            "${first:-unread	}" "${wrong:--}" "${cage:--}" "${fr:--}"
    done
} | awk -F'\t' '
    {
        named = $2 == "none" ? $7 == "-" : ($5 == $2 && ($6 == "weak" || $6 == "strong"))
        throughCage = $2 == "ball" && $8 == "cage"
        printf "%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n", $1, $2, $3, $4, $5, $6,
            named ? "yes" : throughCage ? "through the cage" : "no", $7, $8, $9
        records[$4]++
        hits[$4] += named
        if ($7 != "-") wrong[$4] += split($7, w, ",")
        if ($2 == "none") { healthy[$4]++; if ($7 != "-") alarmed[$4]++ }
        if ($2 == "ball") { balls[$4]++; ballsNamed[$4] += named; viaCage[$4] += throughCage }
        if ($2 != "ball" && $8 == "cage") cageElsewhere[$4]++
        if ($2 != "ball") others[$4]++
    }
    END {
        print ""
        print "set\tnamed\twrongly strong\thealthy with a strong family\t" \
            "rolling element named (+ through the cage)\tcage modulation said on others"
        n = split("cwru12 tuning,cwru12 held out,cwru48 held out,mfpt tuning,mfpt held out", sets, ",")
        for (i = 1; i <= n; i++) {
            s = sets[i]
            if (!(s in records)) continue
            printf "%s\t%d / %d\t%d\t%d / %d\t%d + %d / %d\t%d / %d\n", s, hits[s], records[s],
                wrong[s], alarmed[s], healthy[s], ballsNamed[s], viaCage[s], balls[s],
                cageElsewhere[s], others[s]
        }
    }'
