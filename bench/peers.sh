#!/usr/bin/env bash
# Side-by-side of our loaders with other decoders on the same files, in one run on one
# machine. The other decoders are never project dependencies: this script installs them from
# Debian packages (libsdl2-image-dev, python3-pil, netpbm) only for this measurement.
#
# Usage: bench/peers.sh [BUILD_DIR]     (default build/bench, made with the `bench` preset)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/bench}

need=()
for p in libsdl2-image-dev python3-pil netpbm gcc pkg-config; do
  dpkg-query -W -f='${Status}\n' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  echo "peers: installing ${need[*]} for this measurement"
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi

if [ ! -x "$build/bench/bench_loadtime" ] || [ ! -x "$build/bench/bench_decoders" ]; then
  cmake --preset bench -B "$build" >/dev/null
  cmake --build "$build" --target bench_decoders bench_loadtime >/dev/null
fi

work=$(mktemp -d /dev/shm/launcher-peers.XXXXXX 2>/dev/null || mktemp -d)
trap 'rm -rf "$work"' EXIT

# The files: our synthetic pictures, and the 4096 x 4096 one as written by netpbm's ppmtopcx.
"$build/bench/bench_decoders" --write-pictures="$work" >/dev/null
pcxtoppm "$work/mixed-4096x4096.pcx" 2>/dev/null | ppmtopcx -8bit >"$work/mixed-4096x4096-netpbm.pcx" 2>/dev/null

# SDL2_image: a tiny loader timer built here.
cat >"$work/sdltime.c" <<'EOF'
#include <SDL2/SDL.h>
#include <SDL2/SDL_image.h>
#include <stdio.h>
#include <time.h>
static double now(void) { struct timespec t; clock_gettime(CLOCK_MONOTONIC, &t); return t.tv_sec + t.tv_nsec / 1e9; }
int main(int argc, char **argv) {
  for (int i = 1; i < argc; ++i) {
    SDL_Surface *s = IMG_Load(argv[i]);
    if (!s) { printf("%s: SDL2_image cannot load (%s)\n", argv[i], IMG_GetError()); continue; }
    double pixels = (double)s->w * s->h, best = 1e30, start = now();
    SDL_FreeSurface(s);
    int runs = 0;
    while (runs < 5 || now() - start < 1.0) {
      double t0 = now();
      s = IMG_Load(argv[i]);
      double t = now() - t0;
      SDL_FreeSurface(s);
      if (t < best) best = t;
      ++runs;
    }
    printf("%s: SDL2_image %.1f Mpixel/s (%d loads)\n", argv[i], pixels / best / 1e6, runs);
  }
  return 0;
}
EOF
# shellcheck disable=SC2046 # pkg-config prints several flags, meant to be split
gcc -O2 -o "$work/sdltime" "$work/sdltime.c" $(pkg-config --cflags --libs SDL2_image)

# Pillow: PCX only (it has no ILBM or PBM reader). Debian's own python3, where python3-pil is.
pil_time() {
  /usr/bin/python3 - "$@" <<'EOF'
import sys, time
from PIL import Image
for path in sys.argv[1:]:
    with Image.open(path) as im:
        im.load()
        pixels = im.width * im.height
    best, runs, start = 1e30, 0, time.perf_counter()
    while runs < 5 or time.perf_counter() - start < 1.0:
        t0 = time.perf_counter()
        with Image.open(path) as im:
            im.load()
        best = min(best, time.perf_counter() - t0)
        runs += 1
    print(f"{path}: Pillow {pixels / best / 1e6:.1f} Mpixel/s ({runs} loads)")
EOF
}

echo "# $(date -u +%Y-%m-%d) on $(nproc) x $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ //')"
for f in "$work"/*; do
  case $f in *.pcx|*.lbm) ;; *) continue ;; esac
  echo "== $(basename "$f") ($(stat -c %s "$f") bytes)"
  "$build/bench/bench_loadtime" "$f" | sed 's|.*: ||'
  "$work/sdltime" "$f" | sed 's|.*: ||'
  case $f in *.pcx) pil_time "$f" | sed 's|.*: ||' ;; esac
done
