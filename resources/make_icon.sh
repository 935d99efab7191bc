#!/usr/bin/env bash
# Draws the launcher's icon (a disc with a play arrow) at 16, 32 and 48 pixels and packs the
# three into launcher.ico. Run once by hand when the drawing changes; the .ico is committed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
for size in 16 32 48; do
  s=$size
  # Coordinates scale with the size: a grey disc with a darker rim, a hole, a green arrow.
  convert -size ${s}x${s} xc:none \
    -fill '#c8ccd4' -stroke '#404858' -strokewidth $(( s / 16 > 0 ? s / 16 : 1 )) \
    -draw "circle $(( s / 2 )),$(( s / 2 )) $(( s / 2 )),$(( s / 16 ))" \
    -fill '#404858' -stroke none \
    -draw "circle $(( s / 2 )),$(( s / 2 )) $(( s / 2 )),$(( s / 2 - s / 10 - 1 ))" \
    -fill '#1f9a3a' -stroke '#0b4a1a' -strokewidth 1 \
    -draw "polygon $(( s * 9 / 16 )),$(( s * 9 / 16 )) $(( s - 1 )),$(( s * 49 / 64 )) $(( s * 9 / 16 )),$(( s - 1 ))" \
    "$tmp/icon$s.png"
done
convert "$tmp/icon16.png" "$tmp/icon32.png" "$tmp/icon48.png" "$here/launcher.ico"
