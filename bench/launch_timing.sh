#!/usr/bin/env bash
# Time from the launcher's start to the game's start on the direct-launch path, under Wine,
# for products of 10, 100 and 1000 required files that are all installed and current, beside
# the time the test game takes to start on its own. Median of several runs each.
#
#   bench/launch_timing.sh [BUILD_DIR]     (default build/win32; REPS=7 by default)
#
# Needs launcher.exe and tests/e2e/testgame.exe in the 32-bit build tree. Uses DISPLAY and
# WINEPREFIX when set; otherwise starts a virtual display of its own and uses the build's
# shared prefix, and stops what it started at the end. Prints one line per product size and
# the growth from 100 to 1000 files with the bare start taken off (the goal: at most 12).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/win32}
reps=${REPS:-7}
sizes=(10 100 1000)

launcher=${E2E_LAUNCHER:-$build/launcher/launcher.exe}
game=${E2E_GAME:-$build/tests/e2e/testgame.exe}
for f in "$launcher" "$game"; do
  [ -f "$f" ] || { echo "missing $f (build the win32 preset first)" >&2; exit 1; }
done

export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
shared_ini=$WINEPREFIX/drive_c/windows/tivoroo.ini

work=$(mktemp -d /tmp/launch-timing.XXXXXX)
xvfb_pid=""
own_server=0
cleanup() {
  rm -rf "$work"
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  [ $own_server -eq 0 ] || wineserver -k 2>/dev/null || true
}
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ]; then
  mkfifo "$work/fd"
  Xvfb -displayfd 7 -screen 0 1024x768x24 -nolisten tcp 7>"$work/fd" >/dev/null 2>&1 &
  xvfb_pid=$!
  read -r -t 20 num <"$work/fd" || { echo "Xvfb did not start" >&2; exit 1; }
  export DISPLAY=":$num"
fi
# A persistent server keeps process starts short; status 2 means one already runs.
if wineserver -p 2>/dev/null; then own_server=1; fi

now_ms() { date +%s%3N; }
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

drop_section() {
  [ -f "$shared_ini" ] || return 0
  S=$1 awk 'BEGIN { s = ENVIRON["S"] }
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[.*\]$/ { skip = (tolower(substr(line, 2, length(line) - 2)) == tolower(s)) }
    !skip { print }' "$shared_ini" >"$shared_ini.tmp" && mv "$shared_ini.tmp" "$shared_ini"
}

count_keys() {
  S=$1 awk 'BEGIN { s = ENVIRON["S"] }
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[.*\]$/ { in_s = (tolower(substr(line, 2, length(line) - 2)) == tolower(s)); next }
    in_s && index(line, "=") > 0 { n++ }
    END { print n + 0 }' "$shared_ini"
}

# one_start EXE [CWD]: runs EXE (a launcher or the game itself) and prints the milliseconds
# from the start of wine to the game's own record of its start.
one_start() {
  local log=$work/game.log t0 start
  rm -f "$log"
  t0=$(now_ms)
  E2E_GAME_LOG=$(winpath "$log") E2E_GAME_MS=0 timeout 120 wine "$1" >/dev/null 2>&1 || true
  start=$(sed -n 's/^start=//p' "$log" 2>/dev/null | tr -d '\r')
  [ -n "$start" ] || { echo "the game did not start from $1" >&2; exit 1; }
  echo $((start - t0))
}

median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# product N: a disc of N required files in one group, installed and current in its proposed
# destination; the first run records every copy in the shared file.
product() {
  local n=$1 name=E2EBENCH$1 disc=$work/disc$1 dest=$work/dest$1 i
  mkdir -p "$disc/DATA" "$dest/DATA"
  cp "$launcher" "$disc/$name.exe"
  cp "$game" "$disc/$name.a32"
  {
    printf '[General]\r\nDefaultDir=%s\r\n' "$(winpath "$dest")"
    printf '[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Game files\r\nPC-Group1FileCount=%d\r\n' "$n"
    for ((i = 1; i <= n; i++)); do
      printf 'PC-Group1File%dName=DATA\\F%04d.DAT\r\nPC-Group1File%dKey=File%d\r\n' $i $i $i $i
      printf '%d\n' $i >"$disc/DATA/F$(printf %04d $i).DAT"
    done
  } >"$disc/$name.inf"
  touch -d "2001-02-03 04:05:06" "$disc"/DATA/*
  cp -p "$disc"/DATA/* "$dest/DATA/"
  drop_section "$name"
  one_start "$disc/$name.exe" >/dev/null
  [ "$(count_keys "$name")" -eq "$n" ] || { echo "the $n files were not all recorded" >&2; exit 1; }
}

for n in "${sizes[@]}"; do product "$n"; done

cp "$game" "$work/bare.exe"
# Round robin over the kinds, so that a change of load on the machine meets all of them alike.
kinds=(bare "${sizes[@]}")
declare -A samples med low
for ((r = 0; r < reps; r++)); do
  for k in "${kinds[@]}"; do
    if [ "$k" == bare ]; then exe=$work/bare.exe; else exe=$work/disc$k/E2EBENCH$k.exe; fi
    samples[$k]+="$(one_start "$exe") "
  done
done
for k in "${kinds[@]}"; do
  med[$k]=$(tr ' ' '\n' <<<"${samples[$k]}" | grep . | median)
  low[$k]=$(tr ' ' '\n' <<<"${samples[$k]}" | grep . | sort -n | head -n 1)
done
for n in "${sizes[@]}"; do drop_section "E2EBENCH$n"; done

printf 'launch timing under Wine, median of %d rounds (ms from start to the game running)\n' "$reps"
printf '  %-22s %6d ms  (fastest %d)\n' "test game alone" "${med[bare]}" "${low[bare]}"
for n in "${sizes[@]}"; do
  printf '  %-22s %6d ms  (fastest %d)   +%d ms over the bare start\n' "launcher, $n files" "${med[$n]}" \
    "${low[$n]}" $((med[$n] - med[bare]))
done
extra100=$((med[100] - med[bare]))
extra1000=$((med[1000] - med[bare]))
[ $extra100 -gt 0 ] || extra100=1
awk -v a="$extra1000" -v b="$extra100" \
  'BEGIN { r = a / b; printf "  1000 files / 100 files, bare start taken off: %.1f (goal: at most 12)\n", r; exit !(r <= 12) }'
