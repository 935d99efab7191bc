#!/usr/bin/env bash
# Walks through the demo disc under Wine as a user would, with the end-to-end driver doing
# the clicks: the setup dialog (OK), each "Create Directory" question (Yes), the copy, the
# start-up message (OK), then a few seconds of the game, which it then ends. Saves a
# screenshot of each step, cropped to the window, and checks what the run left behind: the
# required files in C:\Tivoroo\DEMO\ with the disc's times, and their records in tivoroo.ini.
#
#   walkthrough.sh [--reset] [--by-hand] [--remove] [--expect setup|direct] DISC_FOLDER SHOT_FOLDER
#
#   --reset    first forget the installation: the [DEMO] section of tivoroo.ini and the
#              folder C:\Tivoroo\DEMO\ of the prefix
#   --by-hand  only start the launcher and wait for its end: the user does the clicks
#   --remove   after the walk-through, remove the product again with DEMO.EXE /remove: the
#              question (Yes) and the result message (OK), then check that the copies, their
#              records and C:\Tivoroo\DEMO\ are gone; with --by-hand only DEMO.EXE /remove
#   --expect   fail unless the launcher showed the setup dialog (setup) or went straight to
#              the start-up message (direct)
#
# Environment: DISPLAY (a display nobody else uses), WINEPREFIX and WINE (else this host's
# defaults, scripts/wine-session env), DEMO_DRIVER (driver.exe of tests/e2e). Prints the
# screenshots' paths; exit status 0 when the walk-through completed and every check held, 1
# otherwise.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)

reset=0
by_hand=0
remove=0
expect=""
while [ $# -gt 0 ]; do
  case $1 in
    --reset) reset=1; shift ;;
    --by-hand) by_hand=1; shift ;;
    --remove) remove=1; shift ;;
    --expect) expect=${2:-}; shift 2 ;;
    --) shift; break ;;
    -*) echo "walkthrough: unknown option $1" >&2; exit 2 ;;
    *) break ;;
  esac
done
[ $# -eq 2 ] || { echo "usage: walkthrough.sh [--reset] [--by-hand] [--remove] [--expect setup|direct] DISC_FOLDER SHOT_FOLDER" >&2; exit 2; }
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

NAME=DEMO
DEST=$WINEPREFIX/drive_c/Tivoroo/$NAME
# shellcheck disable=SC1003 # a Windows path that ends in a backslash
DEST_WIN='C:\Tivoroo\DEMO\'
# The required files of DEMO.inf and their shared-file keys (disctool script makes a key of
# the file's name unless demo/DEMO.groups gives one).
REQUIRED=(DATA_LEVELS_LEVEL1_DAT:DATA/LEVELS/LEVEL1.DAT DATA_LEVELS_LEVEL2_DAT:DATA/LEVELS/LEVEL2.DAT
          DATA_CORE_PAK:DATA/CORE.PAK ReadMe:README.TXT SOUND_MUSIC_THEME_MID:SOUND/MUSIC/THEME.MID
          SOUND_EFFECTS_SND:SOUND/EFFECTS.SND)
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
    drv kill --exe "$NAME.a32" >/dev/null 2>&1
    drv kill --exe "$NAME.EXE" >/dev/null 2>&1
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

if [ $reset -eq 1 ]; then
  log "forgetting the installation: [$NAME] in tivoroo.ini and $DEST_WIN"
  ini_drop_section "$NAME"
  rm -rf "$DEST"
fi

# ---- run ---------------------------------------------------------------------------------

# The start-up picture's name in DEMO.inf is relative, and the launcher resolves it against
# its current folder, so the launcher starts in the disc folder as from a desktop shortcut.
log "starting $NAME.EXE from $DISC"
if [ $by_hand -eq 1 ]; then
  unset DEMO_GAME_SECONDS
  args=()
  [ $remove -eq 0 ] || args=(/remove)
  (cd "$DISC" && exec "$WINE" "$NAME.EXE" "${args[@]}")
  rc=$?
  log "$NAME.EXE ended with status $rc"
  exit $rc
fi
(cd "$DISC" && exec "$WINE" "$NAME.EXE") &
L_PID=$!

# The first thing the launcher shows: its setup dialog, the start-up message, or the game.
first=""
limit=$(( $(now_ms) + $(limit_ms 30000) ))
while [ -z "$first" ]; do
  if hwnd=$(find_window --exe "$NAME.EXE" --class '#32770' --with-id IDC_COMPONENTS --visible); then first=setup
  elif hwnd=$(find_window --exe "$NAME.EXE" --class '#32770' --with-id IDC_PICTURE --visible); then first=message
  elif find_window --exe "$NAME.a32" --visible >/dev/null; then first=game
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
    others=$(drv windows --exe "$NAME.EXE" --class '#32770' --visible | awk -F'\t' -v s="$setup" '$1 != s')
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
    elif hwnd=$(find_window --exe "$NAME.EXE" --class '#32770' --with-id IDC_PICTURE --visible); then
      break
    elif find_window --exe "$NAME.a32" --visible >/dev/null; then
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

game=$(drv wait-window --exe "$NAME.a32" --visible --timeout 15000) || fail "the game did not come up"
log "the game runs; ending it in $GAME_SHOW_S s"
sleep "$GAME_SHOW_S"
snap game "$game"
drv quit --exe "$NAME.a32" >/dev/null || fail "could not end the game"
limit=$(( $(now_ms) + $(limit_ms 15000) ))
while kill -0 "$L_PID" 2>/dev/null && [ "$(ps -o stat= -p "$L_PID" 2>/dev/null | cut -c1)" != Z ]; do
  [ "$(now_ms)" -lt "$limit" ] || fail "the launcher still runs $((15 * SLOWDOWN)) s after the game was ended"
  sleep 0.1
done
wait "$L_PID"
L_PID=""

# ---- what the run left behind --------------------------------------------------------------

for entry in "${REQUIRED[@]}"; do
  key=${entry%%:*} rel=${entry#*:}
  copy=$DEST/$rel
  [ -f "$copy" ] || fail "not installed: $DEST_WIN${rel//\//\\}"
  [ "$(stat -c %Y "$copy")" == "$(stat -c %Y "$DISC/$rel")" ] || fail "$rel: installed copy's time differs from the disc's"
  cmp -s "$copy" "$DISC/$rel" || fail "$rel: installed copy differs from the disc's"
  recorded=$(ini_get "$NAME" "$key") || fail "no record of $rel under $key in tivoroo.ini"
  [ "$recorded" == "$DEST_WIN${rel//\//\\}" ] || fail "record of $key: '$recorded', expected '$DEST_WIN${rel//\//\\}'"
done
log "walkthrough done: the launcher came up with the $path; ${#REQUIRED[@]} required files installed and recorded"

# ---- removal -----------------------------------------------------------------------------

[ $remove -eq 1 ] || exit 0
log "removing $NAME with $NAME.EXE /remove"
(cd "$DISC" && exec "$WINE" "$NAME.EXE" /remove) &
L_PID=$!
box=$(drv wait-window --exe "$NAME.EXE" --with-id IDC_STATIC --visible --timeout 15000) ||
  fail "no removal question came up"
sleep 0.5
snap remove-question "$box"
drv click --hwnd "$box" --id IDYES || fail "could not answer Yes"
drv wait-gone --hwnd "$box" --timeout 5000 || fail "the question stayed"
box=$(drv wait-window --exe "$NAME.EXE" --with-id IDC_STATIC --visible --timeout 15000) ||
  fail "no removal result came up"
sleep 0.5
snap remove-result "$box"
drv click --hwnd "$box" --id IDOK || fail "could not close the result"
wait "$L_PID"
L_PID=""
for entry in "${REQUIRED[@]}"; do
  key=${entry%%:*} rel=${entry#*:}
  [ ! -e "$DEST/$rel" ] || fail "still installed after removal: $DEST_WIN${rel//\//\\}"
  ! ini_get "$NAME" "$key" >/dev/null || fail "record of $key kept after removal"
done
[ ! -e "$DEST" ] || fail "$DEST_WIN stayed after removal"
log "removal done: ${#REQUIRED[@]} required files and their records gone, $DEST_WIN removed"
