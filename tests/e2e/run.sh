#!/usr/bin/env bash
# End-to-end scenarios of the launcher: run.sh SCENARIO. Each lays out a product disc in a
# temporary folder, runs the real launcher under Wine and checks what a user would see and
# what is left on disk. Exit 0 = passed, 1 = failed, 77 = skipped (no display, or a
# check that can only be made once the setup dialog fills its captions).
here=$(cd "$(dirname "$0")" && pwd)
# shellcheck source=lib.sh
. "$here/lib.sh"
# shellcheck source=setup_scenarios.sh
. "$here/setup_scenarios.sh"
# shellcheck source=startup_message.sh
. "$here/startup_message.sh"
# shellcheck source=removal.sh
. "$here/removal.sh"
# shellcheck source=disc_chain.sh
. "$here/disc_chain.sh"

# ---- the driver itself, against the test game's fixture dialog -------------------------

scenario_driver_fixture() {
  local fix=$T/FIX.a32 hwnd mb rows
  cp "$E2E_GAME" "$fix"
  E2E_GAME_DIALOG=1 E2E_GAME_MS=$(limit_ms 20000) "$WINE" "$fix" &
  STARTED_PIDS+=($!)
  hwnd=$(drv wait-window --caption "E2E Fixture" --class '#32770' --exe FIX.a32 --visible --timeout 8000) ||
    fail "the fixture dialog did not come up"
  expect_eq "$(drv text --hwnd "$hwnd" --id IDC_FIXTURE_TEXT)" "Fixture text" "static text"
  rows=$(drv rows --hwnd "$hwnd" --id IDC_FIXTURE_LIST | cut -f3 | paste -sd'|')
  expect_eq "$rows" "Alpha|Beta (required)|Gamma" "owner-drawn list rows"

  drv click-row --hwnd "$hwnd" --id IDC_FIXTURE_LIST --row 2 || fail "click-row"
  drv tick --hwnd "$hwnd" --id IDC_FIXTURE_LIST --row 1 || fail "tick"
  # shellcheck disable=SC1003 # a Windows path that ends in a backslash
  drv settext --hwnd "$hwnd" --id IDC_FIXTURE_EDIT --text 'C:\Games\' || fail "settext"
  expect_eq "$(drv rows --hwnd "$hwnd" --id IDC_FIXTURE_LIST | awk -F'\t' '$2 == 1 { print $1 }')" 1 "selected row"

  # OK asks in a message box; No keeps the dialog, Yes ends it.
  drv click --hwnd "$hwnd" --id IDOK || fail "click OK"
  mb=$(drv wait-window --exe FIX.a32 --with-id IDC_STATIC --visible --timeout 5000) || fail "no message box"
  expect_eq "$(drv text --hwnd "$mb" --id IDC_STATIC)" "Really leave?" "message box text"
  expect_eq "$(drv info --hwnd "$hwnd" | grep '^enabled=')" "enabled=0" "owner while the box is up"
  drv click --hwnd "$mb" --id IDNO || fail "answer No"
  drv wait-gone --hwnd "$mb" --timeout 3000 || fail "the message box stayed"
  drv ping --hwnd "$hwnd" --timeout 1000 >/dev/null || fail "the dialog does not answer"
  drv click --hwnd "$hwnd" --id IDOK || fail "click OK again"
  mb=$(drv wait-window --exe FIX.a32 --with-id IDC_STATIC --visible --timeout 5000) || fail "no second message box"
  drv click --hwnd "$mb" --id IDYES || fail "answer Yes"
  drv wait-exit --exe FIX.a32 --timeout 5000 || fail "the fixture did not end"
  expect_eq "$(grep -E '^(selected|answer|edit|dialog)=' "$GAME_LOG" | tr -d '\r' | paste -sd' ')" \
    'selected=2 selected=1 answer=no edit=C:\Games\ dialog=ok' "what the fixture saw"

  # A quit message posted to the fixture's thread ends its dialog.
  rm -f "$GAME_LOG"
  E2E_GAME_DIALOG=1 E2E_GAME_MS=$(limit_ms 20000) "$WINE" "$fix" &
  STARTED_PIDS+=($!)
  drv wait-window --caption "E2E Fixture" --exe FIX.a32 --visible --timeout 8000 >/dev/null || fail "no fixture"
  drv quit --exe FIX.a32 >/dev/null || fail "quit"
  drv wait-exit --exe FIX.a32 --timeout 5000 || fail "the fixture did not end on quit"
  game_get end >/dev/null || fail "the fixture did not record its end"
}

# ---- launcher scenarios ----------------------------------------------------------------

# product NAME: a disc in $T/disc with one required group of two files, installed and
# current in $T/dest (the first copy recorded in the shared file, the second only lying in
# the proposed destination).
FILES=(GAME.DAT DATA/LEVEL1.DAT)
product() {
  NAME=$1; DISC=$T/disc; DEST=$T/dest; EXE=$NAME.exe
  disc_make "$DISC" "$NAME"
  disc_files "$DISC" "${FILES[@]}"
  inf_required "$DISC/$NAME.inf" "$NAME" "$DEST" "${FILES[@]}"
  install_copies "$DISC" "$DEST" "${FILES[@]}"
  ini_drop_section "$NAME"
  ini_set "$NAME" Key1 "$(winpath "$DEST")\\GAME.DAT"
}

# Installed and current, no switch: no window, the game from the source folder with its path
# alone as command line, run in the launcher's current folder; the launcher waits for it
# and ends right after it. The copy found in the proposed destination gets recorded.
scenario_current() {
  product E2ECUR
  mkdir -p "$T/cwd"
  launch_without_window "$T/cwd"
  expect_game_from "$DISC" "$NAME"
  expect_eq "$(game_get cwd)" "$(winpath "$T/cwd")" "game's current folder"
  local game_end; game_end=$(game_get end) || fail "the launcher ended before the game"
  [ "$L_END" -ge "$game_end" ] || fail "the launcher ended before the game"
  [ $((L_END - game_end)) -le 1000 ] || fail "the launcher ended $((L_END - game_end)) ms after the game"
  expect_eq "$(ini_get "$NAME" Key1)" "$(winpath "$DEST")\\GAME.DAT" "record of the first file"
  expect_eq "$(ini_get "$NAME" Key2)" "$(winpath "$DEST")\\DATA\\LEVEL1.DAT" "adopted copy"
}

# Something required stale (older or newer copy) or missing: the setup dialog with the basic
# caption; Cancel ends the launcher with nothing launched. A stale record is forgotten; a
# file that is not installed is not recorded.
scenario_stale_or_missing() {
  local case hwnd
  for case in older newer missing; do
    log "case: $case"
    rm -rf "$T/disc" "$T/dest"
    product E2ESTALE
    case $case in
      older) touch -d "2000-01-01 00:00:00" "$DEST/GAME.DAT" ;;
      newer) touch -d "2002-01-01 00:00:00" "$DEST/GAME.DAT" ;;
      missing) rm -rf "$DEST"; ini_drop_section "$NAME" ;;
    esac
    launcher_start "$T" "$DISC/$EXE"
    hwnd=$(expect_setup_dialog "$EXE" "$NAME basic setup") || exit 1
    [ "$case" != missing ] || [ -z "${E2E_SHOTS:-}" ] || shot "$case"
    drv click --hwnd "$hwnd" --id IDCANCEL || fail "click Cancel"
    launcher_wait 8000
    expect_no_game
    ! ini_get "$NAME" Key1 >/dev/null || fail "$case: record of GAME.DAT kept: $(ini_get "$NAME" Key1)"
    if [ "$case" == missing ]; then
      expect_eq "$(ini_keys "$NAME" | paste -sd' ')" "" "$case: keys written"
    else
      expect_eq "$(ini_get "$NAME" Key2)" "$(winpath "$DEST")\\DATA\\LEVEL1.DAT" "$case: current file recorded"
    fi
  done
}

# The switch "a" with "/" or "-" in either case forces the dialog (advanced caption) even
# when everything is current; a bare "a", "/ab" and "//a" do not.
scenario_switches() {
  product E2ESW
  local arg want hwnd
  while read -r arg want; do
    log "argument: $arg"
    launcher_start "$T" "$DISC/$EXE" "$arg"
    if [ "$want" == dialog ]; then
      hwnd=$(expect_setup_dialog "$EXE" "$NAME advanced setup") || exit 1
      drv click --hwnd "$hwnd" --id IDCANCEL || fail "click Cancel"
      launcher_wait 8000
      expect_no_game
    else
      launcher_wait 15000
      expect_game_from "$DISC" "$NAME"
    fi
  done <<'EOF'
/a dialog
-A dialog
a game
/ab game
//a game
EOF
}

# No install script beside the launcher: nothing is required, the game starts at once.
scenario_no_script() {
  NAME=E2ENOINF; DISC=$T/disc; EXE=$NAME.exe
  disc_make "$DISC" "$NAME"
  ini_drop_section "$NAME"
  launch_without_window "$T"
  expect_game_from "$DISC" "$NAME"
  [ $(( $(game_get start) - L_START )) -le "$(limit_ms 5000)" ] || fail "the game started late"
}

# A source folder with a space ("My Games") and a program "My.exe" beside it: the game of
# the disc starts, not the decoy that an unquoted command line would name.
scenario_space_in_folder() {
  NAME=E2ESPACE; DISC="$T/My Games"; DEST="$T/Installed Games"; EXE=$NAME.exe
  disc_make "$DISC" "$NAME"
  cp "$E2E_GAME" "$T/My.exe"
  disc_files "$DISC" GAME.DAT
  inf_required "$DISC/$NAME.inf" "$NAME" "$DEST" GAME.DAT
  install_copies "$DISC" "$DEST" GAME.DAT
  ini_drop_section "$NAME"
  launcher_start "$T" "$DISC/$EXE"
  launcher_wait 15000
  expect_eq "$(game_get exe)" "$(winpath "$DISC")\\$NAME.a32" "started program"
  expect_game_from "$DISC" "$NAME"
}

# No game beside the launcher: nothing is shown and the launcher ends.
scenario_game_missing() {
  NAME=E2ENOGAME; DISC=$T/disc; EXE=$NAME.exe
  disc_make "$DISC" "$NAME" nogame
  ini_drop_section "$NAME"
  launch_without_window "$T" 10000
  expect_no_game
}

# While the game runs the launcher's (hidden) window answers within a second; a quit message
# posted to the launcher's thread ends the launcher and leaves the game running.
scenario_quit_while_waiting() {
  NAME=E2EQUIT; DISC=$T/disc; EXE=$NAME.exe
  disc_make "$DISC" "$NAME"
  ini_drop_section "$NAME"
  export E2E_GAME_STOP; E2E_GAME_STOP=$(winpath "$T/stop")
  export E2E_GAME_MS; E2E_GAME_MS=$(limit_ms 30000)
  launcher_start "$T" "$DISC/$EXE"
  game_wait_start 10000
  local ms game_pid
  ms=$(drv ping --exe "$EXE" --class "#32770" --timeout 1000) || fail "no launcher window answers within a second"
  log "a launcher window answered in $ms ms"
  launcher_running || fail "the launcher did not wait for the game"
  drv quit --exe "$EXE" >/dev/null || fail "could not post the quit message"
  launcher_wait 3000
  game_pid=$(game_get pid)
  drv procs --pid "$game_pid" --exe "$NAME.a32" >/dev/null || fail "the game ended with the launcher"
  ! game_get end >/dev/null || fail "the game ended with the launcher"
  : >"$T/stop"
  drv wait-exit --pid "$game_pid" --exe "$NAME.a32" --timeout 5000 || fail "the game did not end"
  game_get end >/dev/null || fail "the game did not record its end"
}

if [ $# -ne 1 ] || ! declare -F "scenario_$1" >/dev/null; then log "usage: run.sh SCENARIO"; exit 2; fi
if [ "$1" == driver_fixture ]; then E2E_LAUNCHER=$E2E_GAME; fi
e2e_begin "$1"
"scenario_$1"
e2e_end
