#!/usr/bin/env bash
# Walks through a product disc under Wine as a user would, with the end-to-end driver doing
# the clicks: the setup dialog (OK), each "Create Directory" question (Yes), the copy, the
# start-up message (OK), then a few seconds of the game, which it then ends. Saves a
# screenshot of each step, cropped to the window, and checks what the run left behind: the
# required files in the destination with the disc's times, and their records in tivoroo.ini.
# What the disc holds (the launcher, the game, the product's section, the destination and the
# files with their keys) comes from the report of `disctool check --json`, so the walk-through
# reads the disc by the same rules as check.
#
#   walkthrough.sh --report FILE [--reset] [--by-hand] [--remove] [--any-game]
#                  [--expect setup|direct] DISC_FOLDER SHOT_FOLDER
#
#   --report   the disc's report: the output of `disctool check --json DISC_FOLDER`
#   --reset    first forget the installation: the product's section of tivoroo.ini and the
#              copies of the listed files in the destination, with the folders they leave empty
#   --by-hand  only start the launcher and wait for its end: the user does the clicks
#   --remove   after the walk-through, remove the product again with the launcher's /remove:
#              the question (Yes) and the result message (OK), then check that the copies,
#              their records and the destination are gone; with --by-hand only the /remove
#   --any-game the game is the disc's own rather than the demo's: a game that shows no window
#              within 15 s is only named, and one that does not quit when asked is ended
#   --expect   fail unless the launcher showed the setup dialog (setup) or went straight to
#              the start-up message (direct)
#
# Environment: DISPLAY (a display nobody else uses), WINEPREFIX and WINE (else this host's
# defaults, scripts/wine-session env), DEMO_DRIVER (driver.exe of tests/e2e). Prints the
# screenshots' paths; exit status 0 when the walk-through completed and every check held, 1
# otherwise, 2 on a wrong command line.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

report=""
reset=0
any_game=0
by_hand=0
remove=0
expect=""
while [ $# -gt 0 ]; do
  case $1 in
    --report) report=${2:-}; shift 2 ;;
    --reset) reset=1; shift ;;
    --any-game) any_game=1; shift ;;
    --by-hand) by_hand=1; shift ;;
    --remove) remove=1; shift ;;
    --expect) expect=${2:-}; shift 2 ;;
    --) shift; break ;;
    -*) echo "walkthrough: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
if [ $# -ne 2 ] || [ -z "$report" ]; then
  echo "usage: walkthrough.sh --report FILE [--reset] [--by-hand] [--remove] [--any-game] [--expect setup|direct] DISC_FOLDER SHOT_FOLDER" >&2
  exit 2
fi
DISC=$(cd "$1" && pwd) || exit 2
SHOTS=$2
: "${DISPLAY:?DISPLAY must name a display}"
: "${DEMO_DRIVER:=}"
[ $by_hand -eq 1 ] || [ -f "$DEMO_DRIVER" ] || { echo "walkthrough: DEMO_DRIVER must name the end-to-end driver.exe" >&2; exit 2; }

# The scenario helpers: drv, winpath, the shared-file readers, now_ms, log.
E2E_DRIVER=$DEMO_DRIVER
# shellcheck source=../tests/e2e/lib.sh
. "$here/../tests/e2e/lib.sh"
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
SHARED_INI=$WINEPREFIX/drive_c/windows/tivoroo.ini

# LAUNCHER, GAME, NAME (the product's section), DEST_WIN and DEST (that folder in the prefix).
LAUNCHER="" GAME="" NAME="" DEST_WIN="" DEST=""
assignments=$(python3 "$here/disc_report.py" vars "$report" "$WINEPREFIX") || exit 2
eval "$assignments"
# listed_files [--required]: KEY, record, disc path and copy path of each listed file (tabs).
listed_files() { python3 "$here/disc_report.py" files "$report" "$DISC" "${DEST:-}" "$@"; }
# How long the game is left running, and its own time-out in case the walk-through stops.
GAME_SHOW_S=3
export DEMO_GAME_SECONDS=60

L_PID=""
SHOT_LIST=()
step=0

fail() {
  log "walkthrough FAILED: $*"
  snap failure
  exit 1
}

finish() {
  local rc=$?
  if [ -n "$L_PID" ] && kill -0 "$L_PID" 2>/dev/null; then
    drv kill --exe "$GAME" >/dev/null 2>&1
    drv kill --exe "$LAUNCHER" >/dev/null 2>&1
    kill "$L_PID" 2>/dev/null
  fi
  drv_stop
  if [ ${#SHOT_LIST[@]} -gt 0 ]; then
    echo "screenshots:"
    printf '  %s\n' "${SHOT_LIST[@]}"
  fi
  exit $rc
}
trap finish EXIT
trap 'exit 1' INT TERM
[ $by_hand -eq 1 ] || drv_serve || fail "the driver did not start"

# snap NAME [HWND]: a screenshot of the display, cropped to the window HWND when given.
snap() {
  local name=$1 hwnd=${2:-} crop=() rect l t r b
  mkdir -p "$SHOTS"
  step=$((step + 1))
  local file
  file=$SHOTS/$(printf '%02d' "$step")-$name.png
  if [ -n "$hwnd" ] && rect=$(drv info --hwnd "$hwnd" | sed -n 's/^rect=//p') && [ -n "$rect" ]; then
    IFS=, read -r l t r b <<<"$rect"
    # A window partly off the screen is cropped by convert to what is on it.
    [ "$l" -ge 0 ] || l=0
    [ "$t" -ge 0 ] || t=0
    crop=(-crop "$((r - l))x$((b - t))+$l+$t" +repage)
  fi
  if xwd -root -silent 2>/dev/null | convert xwd:- "${crop[@]}" "$file" 2>/dev/null; then
    SHOT_LIST+=("$file")
  else
    log "could not save $file"
  fi
}

# find_window ARGS...: the handle of the first window matching the driver selector, or
# status 1.
find_window() { drv find "$@" 2>/dev/null; }

# ---- reset -------------------------------------------------------------------------------

# Only the copies of the listed files go, and the folders below the destination that they
# leave empty: whatever else lies there survives.
if [ $reset -eq 1 ]; then
  log "forgetting the installation: [$NAME] in tivoroo.ini and the copies in $DEST_WIN"
  ini_drop_section "$NAME"
  if [ -n "$DEST" ]; then
    while IFS=$'\t' read -r _ _ _ copy <&3; do
      rm -f "$copy"
      dir=$(dirname "$copy")
      while [ "${dir#"$DEST"}" != "$dir" ] && rmdir "$dir" 2>/dev/null; do dir=$(dirname "$dir"); done
    done 3< <(listed_files)
  fi
fi

# ---- run ---------------------------------------------------------------------------------

# The start-up picture's name in the install script is relative, and the launcher resolves it against
# its current folder, so the launcher starts in the disc folder as from a desktop shortcut.
log "starting $LAUNCHER from $DISC"
if [ $by_hand -eq 1 ]; then
  unset DEMO_GAME_SECONDS
  args=()
  [ $remove -eq 0 ] || args=(/remove)
  (cd "$DISC" && exec "$WINE" "$LAUNCHER" "${args[@]}")
  rc=$?
  log "$LAUNCHER ended with status $rc"
  exit $rc
fi
(cd "$DISC" && exec "$WINE" "$LAUNCHER") &
L_PID=$!

# The first thing the launcher shows: its setup dialog, the start-up message, or the game.
first=""
limit=$(( $(now_ms) + $(limit_ms 30000) ))
while [ -z "$first" ]; do
  if hwnd=$(find_window --exe "$LAUNCHER" --class '#32770' --with-id IDC_COMPONENTS --visible); then first=setup
  elif hwnd=$(find_window --exe "$LAUNCHER" --class '#32770' --with-id IDC_PICTURE --visible); then first=message
  elif find_window --exe "$GAME" --visible >/dev/null; then first=game
  elif ! kill -0 "$L_PID" 2>/dev/null; then fail "the launcher ended without showing anything"
  elif [ "$(now_ms)" -ge "$limit" ]; then fail "nothing came up within $((30 * SLOWDOWN)) s"
  else sleep 0.1
  fi
done
log "the launcher came up with: $first"
path=$first
case $expect in
  "") ;;
  setup) [ "$first" == setup ] || fail "expected the setup dialog, the launcher showed the $first" ;;
  direct) [ "$first" != setup ] || fail "expected no setup dialog, the launcher showed it" ;;
  *) fail "unknown --expect '$expect'" ;;
esac

if [ "$first" == setup ]; then
  setup=$hwnd
  sleep 0.5
  log "setup dialog: $(drv text --hwnd "$setup")"
  snap setup-basic "$setup"
  # More >> shows the component groups; OK installs from either layout.
  if [ "$(drv info --hwnd "$setup" --id IDC_MORE_LESS | sed -n 's/^visible=//p')" == 1 ]; then
    drv click --hwnd "$setup" --id IDC_MORE_LESS || fail "could not click More >>"
    drv wait-text --hwnd "$setup" --id IDC_MORE_LESS --text "Less <<" --timeout 5000 >/dev/null ||
      fail "More >> did not show the component groups"
    sleep 0.5
    snap setup-advanced "$setup"
  fi
  drv click --hwnd "$setup" --id IDOK || fail "could not click OK"
  # Questions come as message boxes owned by the setup dialog, the copy runs in a window
  # "Copy Progress" in between, and any other box with a caption reports a failure. Setup is
  # over when the start-up message (no caption, the picture frame IDC_PICTURE) or the game
  # comes up.
  copy_seen=0
  limit=$(( $(now_ms) + $(limit_ms 60000) ))
  while :; do
    others=$(drv windows --exe "$LAUNCHER" --class '#32770' --visible | awk -F'\t' -v s="$setup" '$1 != s')
    box=$(awk -F'\t' '$6 != "" && $6 != "Copy Progress" { print $1; exit }' <<<"$others")
    copy=$(awk -F'\t' '$6 == "Copy Progress" { print $1; exit }' <<<"$others")
    if [ -n "$copy" ] && [ $copy_seen -eq 0 ]; then
      # Taken once, also while a question for the next folder stands over it.
      copy_seen=1
      # Wine here leaves this window unpainted on the screen where it first came up, over the
      # setup dialog, even after a redraw; moved clear of the dialog it is drawn.
      rect=$(drv info --hwnd "$copy" | sed -n 's/^rect=//p')
      IFS=, read -r cl ct _ cb <<<"$rect"
      top=$(drv info --hwnd "$setup" | sed -n 's/^rect=[^,]*,\([^,]*\),.*/\1/p')
      y=$(( top - (cb - ct) - 8 ))
      [ "$y" -ge 0 ] || y=0
      drv move --hwnd "$copy" --x "$cl" --y "$y" >/dev/null
      sleep 0.5
      snap copy-progress "$copy"
    elif [ -n "$box" ]; then
      caption=$(drv text --hwnd "$box")
      text=$(drv text --hwnd "$box" --id IDC_STATIC)
      log "message box \"$caption\": $text"
      case $caption in
        "Create Directory"|"Disk Space")
          snap "$(tr 'A-Z ' 'a-z-' <<<"$caption")" "$box"
          drv click --hwnd "$box" --id IDYES || fail "could not answer Yes"
          drv wait-gone --hwnd "$box" --timeout 5000 || fail "the question stayed" ;;
        *)
          snap install-failed "$box"
          fail "setup reported: $text" ;;
      esac
    elif hwnd=$(find_window --exe "$LAUNCHER" --class '#32770' --with-id IDC_PICTURE --visible); then
      break
    elif find_window --exe "$GAME" --visible >/dev/null; then
      hwnd=""
      break
    elif ! kill -0 "$L_PID" 2>/dev/null; then
      fail "the launcher ended during setup"
    elif [ "$(now_ms)" -ge "$limit" ]; then
      fail "setup did not finish within $((60 * SLOWDOWN)) s"
    else
      sleep 0.05
    fi
  done
  [ $copy_seen -eq 1 ] || log "(the copy was over before a screenshot of its progress could be taken)"
  first=${hwnd:+message}
  first=${first:-game}
fi

if [ "$first" == message ]; then
  sleep 0.5
  snap startup-message "$hwnd"
  drv click --hwnd "$hwnd" --id IDOK || fail "could not click OK on the start-up message"
fi

asked=0
if game=$(drv wait-window --exe "$GAME" --visible --timeout 15000); then
  log "the game runs; ending it in $GAME_SHOW_S s"
  sleep "$GAME_SHOW_S"
  snap game "$game"
  drv quit --exe "$GAME" >/dev/null && asked=1
  [ $asked -eq 1 ] || [ $any_game -eq 1 ] || fail "could not end the game"
elif [ $any_game -eq 1 ]; then
  log "$GAME showed no window within $((15 * SLOWDOWN)) s"
  snap no-game-window
else
  fail "the game did not come up"
fi
# The disc's own game may not quit when asked, or may never have come up: it is ended.
forced=0
[ $asked -eq 1 ] || [ $any_game -eq 0 ] || { drv kill --exe "$GAME" >/dev/null 2>&1; forced=1; }
limit=$(( $(now_ms) + $(limit_ms 15000) ))
while kill -0 "$L_PID" 2>/dev/null && [ "$(ps -o stat= -p "$L_PID" 2>/dev/null | cut -c1)" != Z ]; do
  if [ "$(now_ms)" -ge "$limit" ]; then
    if [ $any_game -eq 0 ] || [ $forced -eq 1 ]; then
      fail "the launcher still runs $((15 * SLOWDOWN)) s after the game was ended"
    fi
    log "$GAME did not quit when asked: ended"
    drv kill --exe "$GAME" >/dev/null 2>&1
    forced=1
    limit=$(( $(now_ms) + $(limit_ms 15000) ))
  fi
  sleep 0.1
done
wait "$L_PID"
L_PID=""

# ---- what the run left behind --------------------------------------------------------------

if [ -z "$DEST" ]; then
  log "walkthrough done: the launcher came up with the $path; $DEST_WIN is on no drive of the prefix, so its copies were not checked"
  [ $remove -eq 1 ] || exit 0
else
  count=0
  while IFS=$'\t' read -r key record source copy <&3; do
    [ -f "$copy" ] || fail "not installed: $record"
    [ "$(stat -c %Y "$copy")" == "$(stat -c %Y "$source")" ] || fail "$record: installed copy's time differs from the disc's"
    cmp -s "$copy" "$source" || fail "$record: installed copy differs from the disc's"
    recorded=$(ini_get "$NAME" "$key") || fail "no record of $record under $key in tivoroo.ini"
    [ "$recorded" == "$record" ] || fail "record of $key: '$recorded', expected '$record'"
    count=$((count + 1))
  done 3< <(listed_files --required)
  log "walkthrough done: the launcher came up with the $path; $count required files installed and recorded"
fi

# ---- removal -----------------------------------------------------------------------------

[ $remove -eq 1 ] || exit 0
log "removing $NAME with $LAUNCHER /remove"
(cd "$DISC" && exec "$WINE" "$LAUNCHER" /remove) &
L_PID=$!
box=$(drv wait-window --exe "$LAUNCHER" --with-id IDC_STATIC --visible --timeout 15000) ||
  fail "no removal question came up"
sleep 0.5
snap remove-question "$box"
drv click --hwnd "$box" --id IDYES || fail "could not answer Yes"
drv wait-gone --hwnd "$box" --timeout 5000 || fail "the question stayed"
# Between question and result the removal may show its progress, which has text too.
result_box() {
  drv windows --exe "$LAUNCHER" --with-id IDC_STATIC --visible |
    awk -F'\t' -v q="$1" '$1 != q && $6 != "Copy Progress" { print $1; found = 1; exit } END { exit !found }'
}
question=$box
limit=$(( $(now_ms) + $(limit_ms 15000) ))
until box=$(result_box "$question"); do
  [ "$(now_ms)" -lt "$limit" ] || fail "no removal result came up"
  sleep 0.1
done
sleep 0.5
snap remove-result "$box"
drv click --hwnd "$box" --id IDOK || fail "could not close the result"
wait "$L_PID"
L_PID=""
count=0
while IFS=$'\t' read -r key record _ copy <&3; do
  [ -z "$copy" ] || [ ! -e "$copy" ] || fail "still installed after removal: $record"
  ! ini_get "$NAME" "$key" >/dev/null || fail "record of $key kept after removal"
  count=$((count + 1))
done 3< <(listed_files)
# Removal cleans folders up to the one that holds all the product's records; a destination
# whose files all lay in one subfolder therefore stays, empty.
left="removed"
if [ -n "$DEST" ] && [ -e "$DEST" ]; then
  [ -z "$(find "$DEST" -mindepth 1 -not -type d -print -quit)" ] || fail "files stayed in $DEST_WIN after removal"
  left="left without files"
fi
log "removal done: no copy or record of the $count listed files left, $DEST_WIN $left"
