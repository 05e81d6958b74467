#!/usr/bin/env bash
# Hard inputs given to orbistan-cli as a hostile user would, each under an address space of
# 1 GB and a deadline: each is refused (or read) within two seconds, with its exit code and
# a message naming the file or the option, and no special file is replaced by an output.
#   hard_inputs_test.sh ORBISTAN_CLI SOURCE_DIR
set -uo pipefail
cli=$1
src=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
geometry=(--Z 9 --Fr 29,95 --dw 7,94 --D 52 --d 26,08 --a 0)
"$cli" synth --fault outer --out a.wav "${geometry[@]}" --seconds 1 || exit 1
printf 'Hz;amplitude\n10;1\n20;2\n30;1\n' >a.csv
mkfifo fifo.wav
ln -s fifo.wav to-fifo.wav
ln -s loop-b loop-a
ln -s loop-a loop-b
mkdir folder
long=$(printf 'x%.0s' {1..200})
mkdir -p "$long/$long/$long/$long/$long/$long"
longpath="$long/$long/$long/$long/$long/$long/a.wav"
cp a.wav "$longpath"

failures=0
# check EXIT MESSAGE-PART ARGS...: the command ends with EXIT within 2 s under 1 GB, its
# standard error holding MESSAGE-PART.
check() {
    local want=$1 part=$2
    shift 2
    local start end status
    start=$(date +%s%N)
    timeout 10 prlimit --as=1073741824 "$cli" "$@" >out.txt 2>err.txt
    status=$?
    end=$(date +%s%N)
    local ms=$(((end - start) / 1000000))
    if [ "$status" -ne "$want" ] || { [ -n "$part" ] && ! grep -qF -- "$part" err.txt; } ||
        [ "$ms" -gt 2000 ]; then
        echo "FAIL: $* → exit $status in $ms ms (wanted $want, «$part»): $(head -c 300 err.txt)"
        failures=$((failures + 1))
    fi
}

crafted="$src/fuzz/crafted73"
check 4 "«v73_external_link.mat»: «X098_DE_time» — ссылка на другой файл" \
    spectrum "$crafted/v73_external_link.mat"
check 4 "виртуальный набор данных HDF5" spectrum "$crafted/v73_virtual.mat"
check 4 "хранит данные во внешнем файле" spectrum "$crafted/v73_external_storage.mat"
check 4 "не записаны: в файле лишь их размер (134217728 значений)" \
    spectrum "$crafted/v73_unwritten.mat"
check 4 "«hdf5_hang.mat»: библиотека HDF5 читала его, не продвигаясь" \
    spectrum "$crafted/hdf5_hang.mat"
check 4 "«hdf5_bad_free.mat»" spectrum "$crafted/hdf5_bad_free.mat"
check 0 "" spectrum "$crafted/v73_many_variables.mat" --rate 12000
check 4 "«fifo.wav»: это не файл данных" spectrum fifo.wav
check 4 "«loop-a»: ссылки на него ведут по кругу" spectrum loop-a
check 0 "" spectrum "$longpath"
check 4 "макс. частота 0,0003 Гц: запись слишком коротка" spectrum a.wav --span 0,0003
check 1 "--lines takes a whole number from 0 to 25600" spectrum a.wav --lines 100000000
check 1 "--rate" spectrum a.csv --rate 1000
check 1 "--variable" spectrum a.wav --variable x
for target in fifo.wav to-fifo.wav folder; do
    check 4 "«$target»" synth --fault outer --out "$target" "${geometry[@]}"
    check 4 "«$target»" report a.wav "${geometry[@]}" --out "$target"
done
[ -p fifo.wav ] && [ -L to-fifo.wav ] && [ -d folder ] ||
    { echo "FAIL: an output replaced a special file"; failures=$((failures + 1)); }
[ "$failures" -eq 0 ] || { echo "$failures hard input(s) mishandled"; exit 1; }
echo "every hard input refused or read in time"
