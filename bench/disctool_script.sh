#!/usr/bin/env bash
# disctool script against the number of files it lists: a disc folder of N files in folders of
# 100, one group "file DATA\**\*" written into a new script, for N = 1,000 to 10,000. Prints the
# wall time and peak memory of each run and the time per file, which stays flat when script
# grows linearly. Goal: 10,000 files in under 2 s and 100 MB with the optimised build.
#
#   bench/disctool_script.sh [DISCTOOL] [COUNTS...]   (default build/bench/tools/disctool)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=${1:-$root/build/bench/tools/disctool}
shift || true
counts=("$@")
[ ${#counts[@]} -gt 0 ] || counts=(1000 2000 5000 10000)
[ -x "$tool" ] || { echo "missing $tool (cmake --preset bench && cmake --build --preset bench --target disctool)" >&2; exit 1; }
command -v /usr/bin/time >/dev/null || { echo "needs /usr/bin/time (Debian's time)" >&2; exit 1; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

printf '%8s %10s %10s %14s\n' files seconds MB 'us per file'
for n in "${counts[@]}"; do
  disc=$work/disc-$n
  mkdir -p "$disc"
  python3 - "$disc" "$n" <<'PY'
import os, sys
disc, n = sys.argv[1], int(sys.argv[2])
for i in range(n):
    folder = os.path.join(disc, "DATA", "F%03d" % (i // 100))
    os.makedirs(folder, exist_ok=True)
    with open(os.path.join(folder, "FILE%05d.DAT" % i), "w") as f:
        f.write("x")
PY
  printf 'required Data\nfile DATA\\**\\*\n' >"$work/groups-$n.txt"
  /usr/bin/time -f '%e %M' -o "$work/time" "$tool" script --disc "$disc" "$work/groups-$n.txt" \
    "$work/SCRIPT-$n.inf" >/dev/null
  read -r seconds kilobytes <"$work/time"
  awk -v n="$n" -v s="$seconds" -v k="$kilobytes" \
    'BEGIN { printf "%8d %10.2f %10.1f %14.1f\n", n, s, k / 1024, s * 1e6 / n }'
done
