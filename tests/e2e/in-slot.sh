#!/usr/bin/env bash
# in-slot.sh COMMAND...: runs COMMAND (an end-to-end scenario or the demo walk-through) in a
# slot of its own: a Wine prefix, so a shared file, and displays that no other scenario uses
# while it runs. The slots are the lines "PREFIX DISPLAY DISPLAY8" of the file E2E_SLOTS
# (scripts/wine-slots); without it the one slot is this environment's WINEPREFIX, DISPLAY and
# DISPLAY8, so scenarios started side by side by hand still take turns. A slot is held by a
# folder PREFIX/.e2e-slot holding the holder's process id; one whose holder has gone (a test
# killed at its time limit) is taken over.
set -uo pipefail
[ $# -gt 0 ] || { echo "usage: in-slot.sh COMMAND..." >&2; exit 2; }

if [ -n "${E2E_SLOTS:-}" ] && [ -f "$E2E_SLOTS" ]; then
  mapfile -t slots <"$E2E_SLOTS"
else
  if [ -z "${WINEPREFIX:-}" ]; then
    WINEPREFIX=$("${E2E_SCRIPTS:-$(dirname "$0")/../../scripts}/wine-session" env | sed -n 's/^WINEPREFIX=//p')
  fi
  # Without a prefix there is nothing to share: the command says what is missing itself.
  [ -d "${WINEPREFIX:-}" ] || exec "$@"
  slots=("$WINEPREFIX ${DISPLAY:-} ${DISPLAY8:-}")
fi

held=""
release() { [ -z "$held" ] || rm -rf "$held"; }
trap release EXIT

# claim PREFIX: takes the slot of PREFIX when it is free or its holder has gone.
claim() {
  local lock=$1/.e2e-slot holder
  if mkdir "$lock" 2>/dev/null; then
    echo $$ >"$lock/pid"
    held=$lock
    return 0
  fi
  holder=$(cat "$lock/pid" 2>/dev/null) || return 1
  if [ -n "$holder" ] && ! kill -0 "$holder" 2>/dev/null; then
    rm -rf "$lock"
    claim "$1"
    return
  fi
  return 1
}

while :; do
  for line in "${slots[@]}"; do
    read -r prefix display display8 <<<"$line"
    [ -d "$prefix" ] || { echo "in-slot.sh: the slot's Wine prefix '$prefix' is missing" >&2; exit 1; }
    if claim "$prefix"; then break 2; fi
  done
  sleep 0.2
done

export WINEPREFIX=$prefix DISPLAY=$display DISPLAY8=$display8
[ -n "$display" ] || unset DISPLAY
[ -n "$display8" ] || unset DISPLAY8
"$@" &
child=$!
trap 'kill -TERM "$child" 2>/dev/null; wait "$child"; exit 143' TERM INT
wait "$child"
