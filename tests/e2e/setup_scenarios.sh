# shellcheck shell=bash
# Scenarios of the setup dialog and the install run (sourced by run.sh): a person reads the
# dialog's texts, ticks rows by their boxes, presses buttons and answers the message boxes;
# the scenario then checks the files, their times and the shared file.

# A disc in $T/disc with product NAME: the launcher, the game, and the files of FILES_OF_DISC
# (REL with / for folders). Files get distinct write and access times, so that a copy that
# took another file's times, or none, shows.
setup_disc() {
  NAME=$1; DISC=$T/disc; EXE=$NAME.exe; shift
  disc_make "$DISC" "$NAME"
  local rel n=0
  for rel in "$@"; do
    n=$((n + 1))
    disc_files "$DISC" "$rel"
    touch -m -d "2001-02-0$n 04:05:0$n" "$DISC/$rel"
    touch -a -d "2001-03-0$n 10:11:1$n" "$DISC/$rel"
  done
  ini_drop_section "$NAME"
}

# The Windows path of a file under a folder: dest_path DIR REL.
dest_path() { printf '%s\\%s' "$(winpath "$1")" "${2//\//\\}"; }

# ---- a product not installed -----------------------------------------------------------

# Without optional groups the dialog has no More/Less button and stays basic.
# With them: basic mode with More >>, required rows checked and greyed, an optional group
# that is not installed unchecked. OK into a new folder asks to create it once per missing
# folder; Yes copies every checked file with its source's times, records each under its key,
# and starts the game. The next start goes straight to the game.
scenario_setup_fresh_install() {
  setup_disc E2EFRESHB GAME.DAT
  inf_make "$DISC/$NAME.inf" "$NAME" "$T/nope" "R|Game files|The game.|GAME.DAT=GameDat"
  setup_start "$DISC" "$NAME"
  expect_eq "$(drv text --hwnd "$DLG")" "$NAME basic setup" "caption without optional groups"
  expect_eq "$(drv info --hwnd "$DLG" --id IDC_MORE_LESS | grep '^visible=')" "visible=0" "More/Less without optional groups"
  expect_eq "$(drv info --hwnd "$DLG" --id IDC_COMPONENTS | grep '^visible=')" "visible=0" "list in basic mode"
  drv click --hwnd "$DLG" --id IDCANCEL || fail "click Cancel"
  launcher_wait 8000
  expect_no_game
  rm -rf "$T/disc"

  local files=(GAME.DAT DATA/LEVEL1.DAT EMPTY.DAT MOVIES/INTRO.AVI)
  setup_disc E2EFRESH "${files[@]}"
  : >"$DISC/EMPTY.DAT"; touch -m -d "2001-02-03 04:05:03" "$DISC/EMPTY.DAT"
  local dest=$T/new/games
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" \
    "R|Game files|The game.|GAME.DAT=GameDat DATA/LEVEL1.DAT=Level1 EMPTY.DAT=Empty" \
    "O|Movies|Intro film.|MOVIES/INTRO.AVI=Intro"
  setup_start "$DISC" "$NAME"
  expect_eq "$(drv text --hwnd "$DLG")" "$NAME basic setup" "caption"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_INSTRUCTIONS)" "Install $NAME." "instruction"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_MORE_LESS)" "More >>" "More/Less button"
  expect_eq "$(drv info --hwnd "$DLG" --id IDC_MORE_LESS | grep '^visible=')" "visible=1" "More/Less with optional groups"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_DESTINATION)" "$(winpath "$dest")\\" "proposed destination"
  expect_eq "$(row_state "$DLG" 0)" "checked=1 enabled=0" "required row"
  expect_eq "$(row_state "$DLG" 1)" "checked=0 enabled=1" "optional row not installed"
  expect_eq "$(drv rows --hwnd "$DLG" --id IDC_COMPONENTS | cut -f3 | paste -sd'|')" "Game files (required)|Movies" "rows"

  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  local q="The specified destination directory does not exist.  Create?"
  answer_box "$EXE" "Create Directory" "$q" question 6   # the destination itself
  answer_box "$EXE" "Create Directory" "$q" question 6   # its DATA folder
  game_wait_start 15000
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"

  local rel
  for rel in GAME.DAT DATA/LEVEL1.DAT EMPTY.DAT; do expect_copy "$DISC/$rel" "$dest/$rel"; done
  [ ! -e "$dest/MOVIES" ] || fail "the unchecked group was copied"
  expect_eq "$(ini_get "$NAME" GameDat)" "$(dest_path "$dest" GAME.DAT)" "record of GAME.DAT"
  expect_eq "$(ini_get "$NAME" Level1)" "$(dest_path "$dest" DATA/LEVEL1.DAT)" "record of LEVEL1.DAT"
  expect_eq "$(ini_get "$NAME" Empty)" "$(dest_path "$dest" EMPTY.DAT)" "record of EMPTY.DAT"
  ! ini_get "$NAME" Intro >/dev/null || fail "the unchecked group's file was recorded"

  # Installed and current now: no window, the game at once.
  launch_without_window "$T"
  expect_game_from "$DISC" "$NAME"
}

# A file listed by the required group and by an optional group left unticked: the unticked
# row leaves the copy the required row has just made, and its record, so the next start goes
# straight to the game.
scenario_setup_file_in_two_groups() {
  setup_disc E2ETWICE GAME.DAT
  local dest=$T/twice
  mkdir -p "$dest"
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" \
    "R|Game files|The game.|GAME.DAT=GameDat" \
    "O|Extras|The game again.|GAME.DAT=GameDat"
  setup_start "$DISC" "$NAME"
  expect_eq "$(row_state "$DLG" 1)" "checked=0 enabled=1" "optional row left unticked"
  drv click --hwnd "$DLG" --id 1 || fail "click OK"
  game_wait_start 15000
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  expect_copy "$DISC/GAME.DAT" "$dest/GAME.DAT"
  expect_eq "$(ini_get "$NAME" GameDat)" "$(dest_path "$dest" GAME.DAT)" "record of GAME.DAT"

  launch_without_window "$T"
  expect_game_from "$DISC" "$NAME"
}

# A script that writes its file names with "/": the file goes below two new folder levels,
# is recorded with backslashes, and the next start goes straight to the game.
scenario_setup_forward_slashes() {
  setup_disc E2ESLASH GAME.DAT DATA/NEW/LEVEL1.DAT
  local dest=$T/dest
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|GAME.DAT=GameDat DATA/NEW/LEVEL1.DAT=Level1"
  sed -i 's|^\(PC-Group1File2Name=\).*|\1DATA/NEW/LEVEL1.DAT\r|' "$DISC/$NAME.inf"
  grep -q '^PC-Group1File2Name=DATA/NEW/LEVEL1.DAT' "$DISC/$NAME.inf" || fail "the script has no slash"
  setup_start "$DISC" "$NAME"
  drv click --hwnd "$DLG" --id 1 || fail "click OK"
  local q="The specified destination directory does not exist.  Create?"
  answer_box "$EXE" "Create Directory" "$q" question 6   # the destination itself
  answer_box "$EXE" "Create Directory" "$q" question 6   # its DATA and NEW folders
  game_wait_start 15000
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  expect_copy "$DISC/DATA/NEW/LEVEL1.DAT" "$dest/DATA/NEW/LEVEL1.DAT"
  expect_eq "$(ini_get "$NAME" Level1)" "$(dest_path "$dest" DATA/NEW/LEVEL1.DAT)" "record with backslashes"
  launch_without_window "$T"
  expect_game_from "$DISC" "$NAME"
}

# The launcher under a Japanese Windows (ANSI code page 932), installing into a folder whose
# name ends in a character with trail byte 0x5C ("表" is 0x95 0x5C), written so in the
# script's DefaultDir: that byte is no separator. Both files land inside that folder (not
# beside it in its parent), the folder chain asks for and makes exactly the folder and its
# DATA folder, the shared file records the full paths in code page 932, and the next start
# goes straight to the game. Skipped where the host cannot make the Japanese locale.
scenario_setup_double_byte_folder() {
  launcher_in_japanese

  setup_disc E2EDBCS GAME.DAT DATA/LEVEL1.DAT
  local folder=$'\xe8\xa1\xa8' dest # 表
  dest=$T/$folder
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|GAME.DAT=GameDat DATA/LEVEL1.DAT=Level1"
  iconv -f UTF-8 -t CP932 "$DISC/$NAME.inf" >"$T/script.932" && mv "$T/script.932" "$DISC/$NAME.inf" ||
    fail "cannot write the script in code page 932"
  LC_ALL=C grep -qF $'\x95\\\r' "$DISC/$NAME.inf" || fail "the script's DefaultDir does not end in 0x95 0x5C"

  setup_start "$DISC" "$NAME"
  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  local q="The specified destination directory does not exist.  Create?"
  answer_box "$EXE" "Create Directory" "$q" question 6   # the destination itself
  answer_box "$EXE" "Create Directory" "$q" question 6   # its DATA folder
  game_wait_start 15000
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"

  local rel
  for rel in GAME.DAT DATA/LEVEL1.DAT; do
    [ -f "$dest/$rel" ] || fail "not copied into the folder: $dest/$rel"
    cmp -s "$DISC/$rel" "$dest/$rel" || fail "contents differ: $dest/$rel"
    expect_eq "$(stat -c %y "$dest/$rel")" "$(stat -c %y "$DISC/$rel")" "write time of $dest/$rel"
  done
  expect_eq "$(cd "$T" && find . -mindepth 1 -not -path './disc*' -not -path './locales*' -not -name game.log | LC_ALL=C sort | paste -sd' ')" \
    "./$folder ./$folder/DATA ./$folder/DATA/LEVEL1.DAT ./$folder/GAME.DAT" "what the install made"
  local rec
  for rec in GameDat=GAME.DAT Level1=DATA/LEVEL1.DAT; do
    expect_eq "$(ini_get "$NAME" "${rec%%=*}")" "$(dest_path "$dest" "${rec#*=}" | iconv -f UTF-8 -t CP932)" \
      "record of ${rec#*=} (code page 932)"
  done

  launch_without_window "$T"
  expect_game_from "$DISC" "$NAME"
}

# ---- advanced mode ---------------------------------------------------------------------

# More >> switches to the advanced layout; the description follows the selected row, checked
# or not. Unticking an installed optional group and confirming deletes its files at the
# recorded path, in the proposed destination and in the chosen destination, and erases their
# records; the required group goes to the chosen destination.
scenario_setup_advanced() {
  setup_disc E2EADV GAME.DAT MOVIES/INTRO.AVI MUSIC/THEME.MID
  local old=$T/old proposed=$T/proposed chosen=$T/chosen
  inf_make "$DISC/$NAME.inf" "$NAME" "$proposed" \
    "R|Game files|The game itself.|GAME.DAT=GameDat" \
    "O|Movies|Intro and ending films.|MOVIES/INTRO.AVI=Intro" \
    "O|Music|The soundtrack.|MUSIC/THEME.MID=Theme"
  install_copies "$DISC" "$old" MOVIES/INTRO.AVI
  install_copies "$DISC" "$proposed" MOVIES/INTRO.AVI
  install_copies "$DISC" "$chosen" MOVIES/INTRO.AVI
  ini_set "$NAME" Intro "$(dest_path "$old" MOVIES/INTRO.AVI)"

  setup_start "$DISC" "$NAME"
  expect_eq "$(drv text --hwnd "$DLG")" "$NAME basic setup" "caption"
  drv click --hwnd "$DLG" --id IDC_MORE_LESS || fail "click More"
  drv wait-text --hwnd "$DLG" --id IDC_MORE_LESS --text "Less <<" --timeout 3000 >/dev/null || fail "no Less << after More"
  expect_eq "$(drv text --hwnd "$DLG")" "$NAME advanced setup" "advanced caption"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_INSTRUCTIONS)" "Choose what to install." "advanced instruction"
  local id
  for id in IDC_FILES_LABEL IDC_COMPONENTS IDC_DESCRIPTION_FRAME IDC_DESCRIPTION; do
    expect_eq "$(drv info --hwnd "$DLG" --id $id | grep -E '^(visible|enabled)=' | paste -sd' ')" \
      "visible=1 enabled=1" "control $id in advanced mode"
  done
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_DESCRIPTION)" "" "description without a selection"
  expect_eq "$(row_state "$DLG" 1)" "checked=1 enabled=1" "installed optional group"
  expect_eq "$(row_state "$DLG" 2)" "checked=0 enabled=1" "optional group not installed"

  local row want
  while IFS='|' read -r row want; do
    drv click-row --hwnd "$DLG" --id IDC_COMPONENTS --row "$row" || fail "select row $row"
    drv wait-text --hwnd "$DLG" --id IDC_DESCRIPTION --text "$want" --timeout 3000 >/dev/null ||
      fail "description of row $row: got '$(drv text --hwnd "$DLG" --id IDC_DESCRIPTION)', expected '$want'"
  done <<'EOF2'
2|The soundtrack.
0|The game itself.
1|Intro and ending films.
EOF2
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_DESCRIPTION)" "Intro and ending films." "description"

  drv tick --hwnd "$DLG" --id IDC_COMPONENTS --row 1 || fail "untick Movies"
  for _ in $(seq $((50 * SLOWDOWN))); do [ "$(row_state "$DLG" 1)" == "checked=0 enabled=1" ] && break; sleep 0.05; done
  expect_eq "$(row_state "$DLG" 1)" "checked=0 enabled=1" "Movies after a click on its box"
  drv tick --hwnd "$DLG" --id IDC_COMPONENTS --row 0 || fail "click the required row's box"
  sleep 0.2
  expect_eq "$(row_state "$DLG" 0)" "checked=1 enabled=0" "required row after a click on its box"
  drv settext --hwnd "$DLG" --id IDC_DESTINATION --text "$(winpath "$chosen")\\" || fail "type the destination"

  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  game_wait_start 15000
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  local where
  for where in "$old" "$proposed" "$chosen"; do
    [ ! -e "$where/MOVIES/INTRO.AVI" ] || fail "the unticked group's file stayed in $where"
  done
  ! ini_get "$NAME" Intro >/dev/null || fail "the unticked group's record stayed: $(ini_get "$NAME" Intro)"
  ! ini_get "$NAME" Theme >/dev/null || fail "the unticked Music group was recorded"
  [ ! -e "$chosen/MUSIC" ] || fail "the unticked Music group was copied"
  expect_copy "$DISC/GAME.DAT" "$chosen/GAME.DAT"
  expect_eq "$(ini_get "$NAME" GameDat)" "$(dest_path "$chosen" GAME.DAT)" "record of GAME.DAT"
}

# ---- forced setup ----------------------------------------------------------------------

# "/a" on a product that is installed and current: the advanced layout without the More/Less
# button; OK reinstalls: the copy recorded in another folder is deleted and copied to the
# proposed destination, the copy there (changed behind the launcher's back, same time) is
# replaced by the source's contents.
scenario_setup_forced() {
  setup_disc E2EFORCE GAME.DAT DATA/LEVEL1.DAT
  local dest=$T/dest old=$T/old
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|GAME.DAT=GameDat DATA/LEVEL1.DAT=Level1" \
    "O|Movies|Films.|"
  install_copies "$DISC" "$dest" GAME.DAT
  install_copies "$DISC" "$old" DATA/LEVEL1.DAT
  printf 'changed by hand\n' >"$dest/GAME.DAT"
  touch -r "$DISC/GAME.DAT" "$dest/GAME.DAT"
  ini_set "$NAME" GameDat "$(dest_path "$dest" GAME.DAT)"
  ini_set "$NAME" Level1 "$(dest_path "$old" DATA/LEVEL1.DAT)"

  setup_start "$DISC" "$NAME" /a
  expect_eq "$(drv text --hwnd "$DLG")" "$NAME advanced setup" "caption"
  expect_eq "$(drv info --hwnd "$DLG" --id IDC_MORE_LESS | grep -E '^(visible|enabled)=' | paste -sd' ')" \
    "visible=0 enabled=0" "More/Less with /a"
  expect_eq "$(drv info --hwnd "$DLG" --id IDC_COMPONENTS | grep '^visible=')" "visible=1" "list with /a"
  expect_eq "$(row_state "$DLG" 0)" "checked=1 enabled=0" "required row"
  expect_eq "$(row_state "$DLG" 1)" "checked=1 enabled=1" "optional group without files"

  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  answer_box "$EXE" "Create Directory" "The specified destination directory does not exist.  Create?" question IDYES
  game_wait_start 15000
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  expect_copy "$DISC/GAME.DAT" "$dest/GAME.DAT"
  expect_copy "$DISC/DATA/LEVEL1.DAT" "$dest/DATA/LEVEL1.DAT"
  [ ! -e "$old/DATA/LEVEL1.DAT" ] || fail "the copy recorded in the old folder stayed"
  expect_eq "$(ini_get "$NAME" Level1)" "$(dest_path "$dest" DATA/LEVEL1.DAT)" "record of LEVEL1.DAT"
}

# ---- declined questions ----------------------------------------------------------------

# A destination without a drive letter shows 0.0 available: OK asks the space question, and
# No ends the run before anything is deleted. A missing folder answered No ends the run too.
# Either way nothing is copied or recorded, no progress window comes up, and the dialog stays
# with its controls enabled again.
scenario_setup_declined() {
  setup_disc E2EDECL GAME.DAT
  local dest=$T/dest old=$T/old
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|GAME.DAT=GameDat" "O|Movies|Films.|"
  install_copies "$DISC" "$old" GAME.DAT
  touch -d "2000-01-01 00:00:00" "$old/GAME.DAT"   # stale: the dialog comes up
  ini_set "$NAME" GameDat "$(dest_path "$old" GAME.DAT)"
  # The record is forgotten when found stale; put it back for the space question's check.
  setup_start "$DISC" "$NAME"
  ini_set "$NAME" GameDat "$(dest_path "$old" GAME.DAT)"

  local nodrive=${T//\//\\}\\nodrive\\
  drv settext --hwnd "$DLG" --id IDC_DESTINATION --text "$nodrive" || fail "type the destination"
  drv wait-text --hwnd "$DLG" --id IDC_AVAILABLE --text "0.0" --timeout 3000 >/dev/null ||
    fail "available without a drive letter: $(drv text --hwnd "$DLG" --id IDC_AVAILABLE)"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_AVAILABLE)" "0.0" "available without a drive letter"
  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  # The drive part of the typed text is empty; a run that names the drive the path resolves
  # to (the current drive, Z:) is as clear to the user.
  local space=$'There does not appear to be enough space on drive %s\nTry to copy anyway?' mb text
  mb=$(drv wait-window --exe "$EXE" --caption "Disk Space" --visible --timeout 8000) || fail "no space question"
  text=$(drv text --hwnd "$mb" --id IDC_STATIC)
  # shellcheck disable=SC2059
  [ "$text" == "$(printf "$space" "")" ] || [ "$text" == "$(printf "$space" Z:)" ] ||
    fail "space question: got '$text'"
  answer_box "$EXE" "Disk Space" "$text" question IDNO
  expect_no_box "$EXE" 500
  [ -f "$old/GAME.DAT" ] || fail "the recorded copy was deleted after No to the space question"
  [ ! -e "$T/nodrive" ] || fail "the destination was made after No"
  expect_eq "$(drv text --hwnd "$DLG")" "$NAME basic setup" "the dialog after No"
  expect_enabled "$DLG" 1 "${RUN_CONTROLS[@]}" IDC_MORE_LESS

  drv settext --hwnd "$DLG" --id IDC_DESTINATION --text "$(winpath "$dest")\\" || fail "type the destination"
  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  answer_box "$EXE" "Create Directory" "The specified destination directory does not exist.  Create?" question IDNO
  expect_no_box "$EXE" 500
  [ ! -e "$dest" ] || fail "the folder was made after No"
  drv find --exe "$EXE" --caption "Copy Progress" >/dev/null && fail "a progress window is left"
  expect_enabled "$DLG" 1 "${RUN_CONTROLS[@]}" IDC_MORE_LESS
  # The recorded copy went before the question; nothing new is recorded.
  [ ! -e "$old/GAME.DAT" ] || fail "the recorded copy was not deleted before the folder question"
  expect_eq "$(ini_get "$NAME" GameDat)" "$(dest_path "$old" GAME.DAT)" "record after No"
  launcher_running || fail "the launcher ended after No"

  drv click --hwnd "$DLG" --id IDCANCEL || fail "click Cancel"
  launcher_wait 8000
  expect_no_game
}

# ---- cancelled copy --------------------------------------------------------------------

# Cancel on the progress dialog while a 64 MiB file is copied: the partial copy is deleted,
# the file copied before stays recorded, no message, the dialog stays. The progress dialog is
# photographed while the second folder's question is up.
scenario_setup_cancel_copy() {
  setup_disc E2ECANCEL
  disc_files "$DISC" FIRST.DAT DATA/BIG.DAT
  truncate -s 16M "$DISC/FIRST.DAT"
  truncate -s 64M "$DISC/DATA/BIG.DAT"
  touch -d "$DISC_TIME" "$DISC/FIRST.DAT" "$DISC/DATA/BIG.DAT"
  local dest=$T/dest
  mkdir -p "$dest"
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|FIRST.DAT=First DATA/BIG.DAT=Big"
  setup_start "$DISC" "$NAME"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_REQUIRED)" "80.0" "required megabytes"

  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  local mb progress
  mb=$(drv wait-window --exe "$EXE" --caption "Create Directory" --visible --timeout 15000) ||
    fail "no question for the DATA folder"
  progress=$(drv find --exe "$EXE" --caption "Copy Progress" --visible) || fail "no progress dialog"
  expect_eq "$(drv text --hwnd "$progress" --id IDC_FROM)" "$(winpath "$DISC")\\FIRST.DAT" "from text"
  expect_eq "$(drv text --hwnd "$progress" --id IDC_TO)" "$(winpath "$dest")\\FIRST.DAT" "to text"
  expect_eq "$(drv text --hwnd "$progress" --id IDCANCEL)" "&Cancel" "progress dialog's button"
  # Under Wine's unmanaged windows the setup dialog can end up above the progress dialog it
  # owns: the question goes to the corner and the progress dialog below the setup dialog,
  # where both are drawn whole for the picture.
  drv move --hwnd "$mb" --x 0 --y 0 || fail "move the question aside"
  local l b
  IFS=, read -r l _ _ b <<<"$(win_rect "$DLG")"
  drv move --hwnd "$progress" --x "$l" --y $((b + 16)) || fail "move the progress dialog"
  sleep 0.3
  [ -z "${E2E_SHOTS:-}" ] || shot progress
  expect_eq "$(ini_get "$NAME" First)" "$(dest_path "$dest" FIRST.DAT)" "record of the first file"

  # Yes and the progress dialog's Cancel are queued together while the launcher is held: the
  # question's loop ends at Yes, and Cancel waits for the first dispatch of the big file's
  # copy, whatever the machine's speed (a click sent after watching the text could come after
  # a fast copy's end).
  drv click-then --hwnd "$mb" --id IDYES --then-hwnd "$progress" --click IDCANCEL ||
    fail "answer Yes, then Cancel"
  drv wait-gone --hwnd "$progress" --timeout 15000 || fail "the progress dialog stayed after Cancel"
  [ -d "$dest/DATA" ] || fail "the big file's folder was not made"
  launcher_running || fail "the launcher ended: the copy finished before Cancel landed"
  expect_no_box "$EXE" 1000
  expect_no_game
  [ ! -e "$dest/DATA/BIG.DAT" ] || fail "the partial copy is left ($(stat -c %s "$dest/DATA/BIG.DAT") bytes)"
  ! ini_get "$NAME" Big >/dev/null || fail "the cancelled file was recorded"
  expect_copy "$DISC/FIRST.DAT" "$dest/FIRST.DAT"
  expect_eq "$(ini_get "$NAME" First)" "$(dest_path "$dest" FIRST.DAT)" "record of the first file"
  expect_enabled "$DLG" 1 "${RUN_CONTROLS[@]}"

  drv click --hwnd "$DLG" --id IDCANCEL || fail "click Cancel"
  launcher_wait 8000
}

# ---- a second OK during a run ----------------------------------------------------------

# window_count EXE CAPTION: how many top-level windows of EXE carry CAPTION.
window_count() { drv windows --exe "$1" --caption "$2" 2>/dev/null | grep -c . ; }

# expect_at_most_one EXE CAPTION MS: for MS milliseconds, never more than one window of EXE
# carries CAPTION.
expect_at_most_one() {
  local limit=$(( $(now_ms) + $3 )) n
  while [ "$(now_ms)" -lt "$limit" ]; do
    n=$(window_count "$1" "$2")
    [ "$n" -le 1 ] || fail "$n windows '$2'"
    sleep 0.05
  done
}

# The number of times the game was started (each start appends its record to the log).
game_starts() { grep -c '^start=' "$GAME_LOG" 2>/dev/null || true; }

# An OK command that reaches the setup dialog while its run is under way is ignored: once while
# the copy waits on the question for a missing folder (its message box dispatches the command),
# once while the launcher waits for the game. One progress window and one question come up,
# the game starts once, and the files are copied and recorded as by a single run.
scenario_setup_second_ok() {
  setup_disc E2ESECOND FIRST.DAT DATA/SECOND.DAT
  local dest=$T/dest
  mkdir -p "$dest"
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|FIRST.DAT=First DATA/SECOND.DAT=Second"
  export E2E_GAME_STOP; E2E_GAME_STOP=$(winpath "$T/stop")
  export E2E_GAME_MS; E2E_GAME_MS=$(limit_ms 30000)
  setup_start "$DISC" "$NAME"

  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  local mb
  mb=$(drv wait-window --exe "$EXE" --caption "Create Directory" --visible --timeout 15000) ||
    fail "no question for the DATA folder"
  expect_eq "$(window_count "$EXE" "Copy Progress")" 1 "progress windows before the second OK"
  drv command --hwnd "$DLG" --id IDOK || fail "post the second OK"
  expect_at_most_one "$EXE" "Copy Progress" 1500
  expect_eq "$(window_count "$EXE" "Create Directory")" 1 "questions after the second OK"
  drv click --hwnd "$mb" --id IDYES || fail "answer Yes"
  drv wait-gone --hwnd "$mb" --timeout 5000 || fail "the question stayed"

  game_wait_start 15000
  drv command --hwnd "$DLG" --id IDOK || fail "post an OK while the game runs"
  local limit=$(( $(now_ms) + 2000 ))
  while [ "$(now_ms)" -lt "$limit" ]; do
    [ "$(window_count "$EXE" "Copy Progress")" -eq 0 ] || fail "a progress window came up while the game ran"
    [ -z "$(message_box "$EXE")" ] || fail "a message box came up while the game ran"
    sleep 0.05
  done
  expect_eq "$(game_starts)" 1 "game starts while the game runs"
  launcher_running || fail "the launcher did not wait for the game"
  : >"$T/stop"
  launcher_wait 15000
  expect_eq "$(game_starts)" 1 "game starts"
  expect_game_from "$DISC" "$NAME"
  expect_copy "$DISC/FIRST.DAT" "$dest/FIRST.DAT"
  expect_copy "$DISC/DATA/SECOND.DAT" "$dest/DATA/SECOND.DAT"
  expect_eq "$(ini_get "$NAME" First)" "$(dest_path "$dest" FIRST.DAT)" "record of FIRST.DAT"
  expect_eq "$(ini_get "$NAME" Second)" "$(dest_path "$dest" DATA/SECOND.DAT)" "record of SECOND.DAT"
}

# ---- failures reported -----------------------------------------------------------------

# A read-only file at the target cannot be replaced: one message with the stop icon, captioned
# with the launcher's name; the file stays as it was and the dialog stays.
scenario_setup_readonly_target() {
  setup_disc E2ERO GAME.DAT
  local dest=$T/dest
  mkdir -p "$dest"
  printf 'read-only\n' >"$dest/GAME.DAT"
  chmod a-w "$dest/GAME.DAT"
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|GAME.DAT=GameDat"
  setup_start "$DISC" "$NAME"
  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  answer_box "$EXE" "$NAME" "Unable to copy $(winpath "$DISC")\\GAME.DAT to "$'\n'"$(winpath "$dest")\\GAME.DAT" hand IDOK
  expect_no_box "$EXE" 1000
  expect_eq "$(cat "$dest/GAME.DAT")" "read-only" "the read-only file"
  ! ini_get "$NAME" GameDat >/dev/null || fail "the failed copy was recorded"
  expect_enabled "$DLG" 1 "${RUN_CONTROLS[@]}"
  expect_no_game
  drv click --hwnd "$DLG" --id IDCANCEL || fail "click Cancel"
  launcher_wait 8000
}

# The shared file cannot be written (a folder stands where it would be, as unwritable as a
# limited user's Windows folder): the file is installed, one message with the information icon
# names the shared file, the game starts; the next start adopts the copy in the proposed
# folder and goes straight to the game.
scenario_setup_shared_unwritable() {
  setup_disc E2ESHARED GAME.DAT
  local dest=$T/dest
  mkdir -p "$dest"
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|GAME.DAT=GameDat"
  local saved=""
  if [ -e "$SHARED_INI" ]; then saved=$T/shared.saved; mv "$SHARED_INI" "$saved"; fi
  mkdir "$SHARED_INI"
  setup_start "$DISC" "$NAME"
  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  answer_box "$EXE" "$NAME" "The installed files could not all be recorded in C:\\windows\\tivoroo.ini."$'\n'"Setup may appear again at the next start." asterisk IDOK
  game_wait_start 15000
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  expect_copy "$DISC/GAME.DAT" "$dest/GAME.DAT"

  launch_without_window "$T"
  expect_game_from "$DISC" "$NAME"
  rmdir "$SHARED_INI"
  [ -z "$saved" ] || mv "$saved" "$SHARED_INI"
}

# The destination is the source folder, as typed in several spellings: refused with the stop
# icon before anything is deleted; the disc stays whole and the dialog stays.
scenario_setup_same_folder() {
  setup_disc E2ESAME GAME.DAT DATA/LEVEL1.DAT
  inf_make "$DISC/$NAME.inf" "$NAME" "$T/dest" "R|Game files|The game.|GAME.DAT=GameDat DATA/LEVEL1.DAT=Level1"
  local before; before=$(cd "$DISC" && find . -type f -exec stat -c '%n %s %y' {} + | sort)
  setup_start "$DISC" "$NAME"
  local typed
  for typed in "$(winpath "$DISC")\\" "$(winpath "$DISC")" "$(winpath "$T")\\DISC\\.\\" "$(winpath "$T")\\data\\..\\disc\\"; do
    log "typed: $typed"
    drv settext --hwnd "$DLG" --id IDC_DESTINATION --text "$typed" || fail "type the destination"
    drv click --hwnd "$DLG" --id IDOK || fail "click OK"
    answer_box "$EXE" "$NAME" "The destination folder is the same as the source folder." hand IDOK
    expect_enabled "$DLG" 1 "${RUN_CONTROLS[@]}"
    expect_eq "$(cd "$DISC" && find . -type f -exec stat -c '%n %s %y' {} + | sort)" "$before" "the disc's files"
  done
  expect_eq "$(ini_keys "$NAME" | paste -sd' ')" "" "records"
  expect_no_game
  drv click --hwnd "$DLG" --id IDCANCEL || fail "click Cancel"
  launcher_wait 8000
}

# ---- layout ----------------------------------------------------------------------------

# geometry HWND: the dialog's rectangle and every control's id, visibility and rectangle.
geometry() {
  win_rect "$1"
  drv controls --hwnd "$1" | cut -f1,3,5
}

# More/Less twice returns every control and the dialog to their former rectangles. A long
# advanced instruction grows its box: the dialog grows by the layout distance plus that
# growth, and nothing below overlaps the text.
scenario_setup_layout() {
  setup_disc E2ELAYOUT GAME.DAT
  local long="Choose the groups to install on the left; the box on the right tells what each one holds."
  long+=" Required groups are always installed. Pick a destination folder with Browse or type it,"
  long+=" then press OK to copy the files. Cancel leaves without installing anything."
  BAS_INSTRUCT="Install $NAME." ADV_INSTRUCT=$long \
    inf_make "$DISC/$NAME.inf" "$NAME" "$T/dest" "R|Game files|The game.|GAME.DAT=GameDat" "O|Movies|Films.|"
  setup_start "$DISC" "$NAME"
  local basic advanced
  basic=$(geometry "$DLG")
  drv click --hwnd "$DLG" --id IDC_MORE_LESS || fail "click More"
  drv wait-text --hwnd "$DLG" --id IDC_MORE_LESS --text "Less <<" --timeout 3000 >/dev/null || fail "no Less << after More"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_INSTRUCTIONS)" "$long" "advanced instruction"
  advanced=$(geometry "$DLG")
  [ "$advanced" != "$basic" ] || fail "More changed nothing"

  local it ib bt bb ft dt
  read -r _ it _ ib <<<"$(rect_of "$DLG" IDC_INSTRUCTIONS)"
  read -r _ ft _ _ <<<"$(rect_of "$DLG" IDC_FILES_LABEL)"
  read -r _ dt _ _ <<<"$(rect_of "$DLG" IDC_DESTINATION_FRAME)"
  local adv_height; adv_height=$(win_rect "$DLG" | awk -F, '{ print $4 - $2 }')
  local adv_instr=$((ib - it))
  local distance=$((dt - ft))
  [ "$ib" -le "$ft" ] || fail "the instruction ($it..$ib) runs into the Files: label at $ft"

  drv click --hwnd "$DLG" --id IDC_MORE_LESS || fail "click Less"
  drv wait-text --hwnd "$DLG" --id IDC_MORE_LESS --text "More >>" --timeout 3000 >/dev/null || fail "no More >> after Less"
  expect_eq "$(geometry "$DLG")" "$basic" "geometry after More and Less"
  read -r _ bt _ bb <<<"$(rect_of "$DLG" IDC_INSTRUCTIONS)"
  read -r _ dt _ _ <<<"$(rect_of "$DLG" IDC_DESTINATION_FRAME)"
  [ "$bb" -le "$dt" ] || fail "the basic instruction ($bt..$bb) runs into the destination frame at $dt"
  local bas_height; bas_height=$(win_rect "$DLG" | awk -F, '{ print $4 - $2 }')
  local bas_instr=$((bb - bt))
  [ "$adv_instr" -gt "$bas_instr" ] || fail "the long instruction did not grow its box ($adv_instr vs $bas_instr)"
  expect_eq $((adv_height - bas_height)) $((distance + adv_instr - bas_instr)) \
    "height between the modes (layout distance $distance, instruction growth $((adv_instr - bas_instr)))"

  drv click --hwnd "$DLG" --id IDC_MORE_LESS || fail "click More again"
  drv wait-text --hwnd "$DLG" --id IDC_MORE_LESS --text "Less <<" --timeout 3000 >/dev/null || fail "no Less << after More"
  expect_eq "$(geometry "$DLG")" "$advanced" "geometry after More, Less and More"
  drv click --hwnd "$DLG" --id IDCANCEL || fail "click Cancel"
  launcher_wait 8000
}

# ---- Browse ----------------------------------------------------------------------------

# browser_open: clicks Browse in $DLG and sets browser to the folder browser's window (the
# dialog of the launcher that holds a tree view).
browser_open() {
  drv click --hwnd "$DLG" --id IDC_BROWSE || fail "click Browse"
  for _ in $(seq $((80 * SLOWDOWN))); do
    browser=$(drv find --exe "$EXE" --class '#32770' --visible --caption "Browse for Folder" 2>/dev/null) && return 0
    sleep 0.1
  done
  fail "no folder browser"
}

# The folder browser ("Choose Destination Folder") opens at the deepest existing folder of the
# typed text; picking a folder sets the edit, and the available figure follows at once. The
# folders lie on C: (the prefix's drive_c): Wine's browser cannot open at folders under /tmp.
scenario_setup_browse() {
  setup_disc E2EBROWSE GAME.DAT
  inf_make "$DISC/$NAME.inf" "$NAME" "$T/dest" "R|Game files|The game.|GAME.DAT=GameDat"
  local base; base=$(mktemp -d "$WINEPREFIX/drive_c/e2e-browse.XXXXXX")
  local wbase="C:\\${base##*/}"
  mkdir -p "$base/pick/sub"
  setup_start "$DISC" "$NAME"

  local browser tree
  drv settext --hwnd "$DLG" --id IDC_DESTINATION --text "$wbase\\pick\\sub\\new\\deeper" || fail "type the destination"
  # Wine's browser misses the selection the first time it opens at a folder it has not shown
  # before: a second opening shows what the launcher asked for.
  local attempt
  for attempt in 1 2; do
    browser_open
    drv controls --hwnd "$browser" | cut -f6 | grep -qxF "Choose Destination Folder" ||
      fail "the browser does not say Choose Destination Folder"
    for _ in $(seq $((20 * SLOWDOWN))); do tree=$(drv tree --hwnd "$browser" 2>/dev/null | paste -sd'|') && break; sleep 0.1; done
    [ -z "$tree" ] && [ $attempt == 1 ] || break
    log "the browser opened without a selection; once more"
    drv click --hwnd "$browser" --id IDCANCEL || fail "click Cancel in the browser"
    drv wait-gone --hwnd "$browser" --timeout 5000 || fail "the browser stayed"
    expect_eq "$(drv text --hwnd "$DLG" --id IDC_DESTINATION)" "$wbase\\pick\\sub\\new\\deeper" "destination after Cancel in the browser"
  done
  [[ $tree == *"(C:)|${base##*/}|pick|sub" ]] || fail "the browser opened at '$tree'"
  drv tree-parent --hwnd "$browser" || fail "cannot pick the parent folder"
  drv click --hwnd "$browser" --id IDOK || fail "click OK in the browser"
  drv wait-gone --hwnd "$browser" --timeout 5000 || fail "the browser stayed"
  drv wait-text --hwnd "$DLG" --id IDC_DESTINATION --text "$wbase\\pick\\" --timeout 3000 >/dev/null ||
    fail "destination after Browse: '$(drv text --hwnd "$DLG" --id IDC_DESTINATION)'"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_DESTINATION)" "$wbase\\pick\\" "destination after Browse"

  # From a text without a drive letter (0.0 available) to the drive picked in the browser.
  drv settext --hwnd "$DLG" --id IDC_DESTINATION --text "nodrive\\folder" || fail "type the destination"
  drv wait-text --hwnd "$DLG" --id IDC_AVAILABLE --text "0.0" --timeout 3000 >/dev/null || fail "available is not 0.0"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_AVAILABLE)" "0.0" "available without a drive letter"
  browser_open
  drv tree-select --hwnd "$browser" --text "(C:)" 2>/dev/null || {
    drv tree-expand --hwnd "$browser" --text "My Computer" || fail "cannot open My Computer"
    drv tree-select --hwnd "$browser" --text "(C:)" || fail "cannot pick drive C:"
  }
  drv click --hwnd "$browser" --id IDOK || fail "click OK in the browser"
  drv wait-gone --hwnd "$browser" --timeout 5000 || fail "the browser stayed"
  drv wait-text --hwnd "$DLG" --id IDC_DESTINATION --text 'C:\' --timeout 3000 >/dev/null || fail "no drive C: after Browse"
  expect_eq "$(drv text --hwnd "$DLG" --id IDC_DESTINATION)" 'C:\' "destination after Browse"
  local avail; avail=$(drv text --hwnd "$DLG" --id IDC_AVAILABLE)
  [[ $avail =~ ^[0-9]+\.[0-9]$ ]] && [ "$avail" != "0.0" ] || fail "available after Browse: '$avail'"

  drv click --hwnd "$DLG" --id IDCANCEL || fail "click Cancel"
  launcher_wait 8000
  rm -rf "$base"
}
