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
  expect_eq "$(drv info --hwnd "$DLG" --id 1007 | grep '^visible=')" "visible=0" "More/Less without optional groups"
  expect_eq "$(drv info --hwnd "$DLG" --id 1001 | grep '^visible=')" "visible=0" "list in basic mode"
  drv click --hwnd "$DLG" --id 2 || fail "click Cancel"
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
  expect_eq "$(drv text --hwnd "$DLG" --id 1000)" "Install $NAME." "instruction"
  expect_eq "$(drv text --hwnd "$DLG" --id 1007)" "More >>" "More/Less button"
  expect_eq "$(drv info --hwnd "$DLG" --id 1007 | grep '^visible=')" "visible=1" "More/Less with optional groups"
  expect_eq "$(drv text --hwnd "$DLG" --id 1004)" "$(winpath "$dest")\\" "proposed destination"
  expect_eq "$(row_state "$DLG" 0)" "checked=1 enabled=0" "required row"
  expect_eq "$(row_state "$DLG" 1)" "checked=0 enabled=1" "optional row not installed"
  expect_eq "$(drv rows --hwnd "$DLG" --id 1001 | cut -f3 | paste -sd'|')" "Game files (required)|Movies" "rows"
  doc_shot "$DLG" setup-basic

  drv click --hwnd "$DLG" --id 1 || fail "click OK"
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
  watch_start "$EXE"
  launcher_start "$T" "$DISC/$EXE"
  launcher_wait 15000
  local seen; seen=$(watch_stop)
  [ -z "$seen" ] || fail "windows were shown on the next start: $seen"
  expect_game_from "$DISC" "$NAME"
}
