#!/usr/bin/env bash
# The core's folders stand in layers, each including only itself and the folders before it,
# and none of them includes Qt:  platform < calc < search < base < datafiles < spectrum.
#   layering_test.sh SRC_DIR
set -euo pipefail
src=$1
layers=(platform calc search base datafiles spectrum)
failures=0
for ((i = 0; i < ${#layers[@]}; i++)); do
    folder=${layers[$i]}
    allowed=("${layers[@]:0:$((i + 1))}")
    while IFS=: read -r file line text; do
        included=$(sed -E 's/.*#include "([a-z_]+)\/.*/\1/' <<<"$text")
        if [[ ! " ${allowed[*]} " == *" $included "* ]]; then
            echo "$file:$line: $folder/ includes $included/, a layer above it or outside the core"
            failures=$((failures + 1))
        fi
    done < <(grep -Hn '#include "[a-z_]*/' "$src/$folder"/*.h "$src/$folder"/*.cpp || true)
    if grep -Hn '#include <Q' "$src/$folder"/*.h "$src/$folder"/*.cpp; then
        echo "$folder/ includes Qt"
        failures=$((failures + 1))
    fi
done
[ "$failures" -eq 0 ] || { echo "$failures include(s) against the layers"; exit 1; }
echo "the core's layers hold: ${layers[*]}"
