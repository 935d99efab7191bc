#!/usr/bin/env bash
# Copy throughput of the install run's one-file copy against the platform's CopyFileA, under
# Wine, in two runs: with the progress window on a virtual display (bar and texts painted, the
# window's messages dispatched after every block) and without a display (no window).
#
#   bench/install_copy.sh [BUILD_DIR] [ROUNDS]     (default build/win32, 5 rounds)
#
# Needs bench_install_copy.exe in the 32-bit build tree. Uses WINEPREFIX when set, else the
# build's shared prefix. The files (320 MiB and 2,000 small ones) go to a scratch folder under
# /tmp that the program removes; the best round of each method counts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win32}
rounds=${2:-5}
exe=$build/bench/bench_install_copy.exe
[ -f "$exe" ] || { echo "missing $exe (build the win32 preset first)" >&2; exit 1; }

export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb_pid=""
cleanup() { [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT

display=${DISPLAY:-}
if [ -z "$display" ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$fifo" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 number <"$fifo" || { echo "Xvfb did not start" >&2; exit 1; }
  rm -f "$fifo"
  display=":$number"
fi

echo "--- with the progress window"
DISPLAY=$display wine "$exe" 'Z:\tmp' "$rounds"
echo "--- without a display"
env -u DISPLAY wine "$exe" 'Z:\tmp' "$rounds"
