#!/usr/bin/env bash
# Draws the About window's photograph, a deep-groove ball bearing, as a JPEG (ImageMagick).
# The result is committed as src/ui/resources/about.jpg; run again only to change the picture.
set -euo pipefail
out="${1:-$(dirname "$0")/../src/ui/resources/about.jpg}"
w=244 h=338 cx=122 cy=150
args=(-size ${w}x${h} gradient:'#f4f0e6'-'#b9b2a2'
      -stroke '#2b2b2b' -strokewidth 3
      -fill '#9aa3ad' -draw "circle $cx,$cy $cx,$((cy - 105))"
      -fill '#d8dde2' -draw "circle $cx,$cy $cx,$((cy - 92))"
      -fill '#5b6470' -draw "circle $cx,$cy $cx,$((cy - 78))")
for k in $(seq 0 8); do
    read -r bx by < <(awk -v k="$k" -v cx=$cx -v cy=$cy 'BEGIN { t = k * 2 * 3.14159265 / 9;
        printf "%d %d\n", cx + 64 * cos(t), cy + 64 * sin(t) }')
    args+=(-fill '#e9edf0' -draw "circle $bx,$by $bx,$((by - 17))")
done
args+=(-fill '#c2c9d0' -draw "circle $cx,$cy $cx,$((cy - 46))"
       -fill '#f4f0e6' -draw "circle $cx,$cy $cx,$((cy - 30))"
       -stroke none -fill '#2b2b2b' -pointsize 22 -gravity south
       -annotate +0+28 'ОРБИСТАН')
convert "${args[@]}" -quality 88 "$out"
