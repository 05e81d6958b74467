#!/usr/bin/env bash
# The core's folders, at every depth, each including only itself and the folders it is
# allowed to use, and none of them Qt. A folder that is not in the table fails the test, so
# that a new room is placed before it is built on.
#   layering_test.sh SRC_DIR
set -euo pipefail
src=$1
lower="platform calc search base datafiles"
declare -A uses=(
    [platform]=""
    [calc]="platform"
    [search]="platform calc"
    [base]="platform calc search"
    [datafiles]="platform calc search base"
    [spectrum]=""
    [spectrum/signal]="platform calc"
    [spectrum/dsp]="platform calc spectrum/signal"
    [spectrum/io]="platform calc spectrum/signal spectrum/dsp"
    [spectrum/diagnosis]="platform calc search spectrum/signal spectrum/dsp"
    [spectrum/analysis]="platform calc search spectrum/signal spectrum/dsp spectrum/io spectrum/diagnosis"
    [spectrum/workbench]="$lower spectrum/signal spectrum/dsp spectrum/io spectrum/diagnosis spectrum/analysis"
    [spectrum/series]="$lower spectrum/signal spectrum/dsp spectrum/io spectrum/diagnosis spectrum/analysis spectrum/workbench"
)
failures=0
fail() {
    echo "$1"
    failures=$((failures + 1))
}
folders=$(cd "$src" && find platform calc search base datafiles spectrum -type d | sort)
for folder in $folders; do
    if [[ ! -v uses[$folder] ]]; then
        fail "$folder/ is not in the layering table: say what it may use"
        continue
    fi
    allowed=" $folder ${uses[$folder]} "
    while IFS=: read -r file line text; do
        included=$(sed -E 's/.*#include "(([a-z_]+\/)*)[a-z_0-9]+\.h".*/\1/; s/\/$//' <<<"$text")
        if [[ "$allowed" != *" $included "* ]]; then
            fail "$file:$line: $folder/ includes $included/, which it may not use"
        fi
    done < <(grep -Hn '#include "[a-z_]*/' "$src/$folder"/*.h "$src/$folder"/*.cpp 2>/dev/null || true)
    if grep -Hn '#include <Q' "$src/$folder"/*.h "$src/$folder"/*.cpp 2>/dev/null; then
        fail "$folder/ includes Qt"
    fi
done
[ "$failures" -eq 0 ] || { echo "$failures place(s) against the layers"; exit 1; }
echo "the core's layers hold in: $(tr '\n' ' ' <<<"$folders")"
