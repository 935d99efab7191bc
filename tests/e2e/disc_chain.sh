# shellcheck shell=bash
# The disc maker's chain (sourced by run.sh): disctool script writes the groups from a
# description, check finds nothing to fix, master presses the image, the image is read back
# (extracted with xorriso), the real launcher installs from the extracted image, and disctool
# verify agrees with the launcher that every listed file is installed and current, against
# the image and against the disc folder the image was pressed from.
#
# E2E_DISCTOOL is the host build's disctool (DISCTOOL_EXECUTABLE in the Windows trees).

# The names that test the chain's edges: one in the code page beyond ASCII, a folder two
# levels deep, and a name of 103 characters, the most a Joliet name holds.
CHAIN_LONG=$(printf 'L%.0s' $(seq 1 99)).dat
CHAIN_FILES=(GAME.DAT DATA/LEVELS/DEEP.DAT $'Caf\xc3\xa9.dat' "$CHAIN_LONG")

# chain_answer_until_game EXE: says Yes to every "Create Directory" question until the game
# starts; any other message box fails the scenario.
chain_answer_until_game() {
  local limit=$(( $(now_ms) + $(limit_ms 30000) )) mb caption
  until game_get cwd >/dev/null; do
    [ "$(now_ms)" -lt "$limit" ] || fail "the game did not start after the install"
    mb=$(message_box "$1")
    if [ -n "$mb" ]; then
      caption=$(drv text --hwnd "$mb")
      [ "$caption" == "Create Directory" ] ||
        fail "message box '$caption': $(drv text --hwnd "$mb" --id IDC_STATIC | paste -sd' ')"
      drv click --hwnd "$mb" --id IDYES || fail "cannot answer Yes"
      drv wait-gone --hwnd "$mb" --timeout "$(limit_ms 5000)" || fail "the question stayed"
    fi
    sleep 0.05
  done
}

# chain_verify FOLDER: disctool verify of the install against FOLDER: exit 0, every listed
# file current.
chain_verify() {
  local out rc=0
  out=$("$E2E_DISCTOOL" verify --shared-file "$SHARED_INI" --launcher "$EXE" --drive Z:=/ "$1") || rc=$?
  log "$out"
  expect_eq "$rc" 0 "verify against $1: exit status"
  expect_eq "$(grep -E '^  [a-z]' <<<"$out" | awk '{ print $1 }' | sort | uniq -c | tr -s ' ' | paste -sd' ')" \
    " ${#CHAIN_FILES[@]} current" "verify against $1: the files' states"
}

scenario_disc_chain() {
  if [ -z "${E2E_DISCTOOL:-}" ] || [ ! -x "$E2E_DISCTOOL" ]; then
    log "SKIPPED [$SCENARIO]: no disctool at '${E2E_DISCTOOL:-}' (build the host preset's disctool)"
    exit 77
  fi
  if ! command -v xorriso >/dev/null; then
    log "SKIPPED [$SCENARIO]: no xorriso to press and read back the image"
    exit 77
  fi
  NAME=E2ECHAIN; DISC=$T/disc; EXE=$NAME.exe
  local image=$T/$NAME.iso read=$T/image dest=$T/dest rel out rc
  disc_make "$DISC" "$NAME"
  disc_files "$DISC" "${CHAIN_FILES[@]}"
  # Fractions of a second on the disc folder, which the image does not keep.
  for rel in "${CHAIN_FILES[@]}"; do touch -d "$DISC_TIME.678" "$DISC/$rel"; done
  printf '[General]\r\nDefaultDir=%s\r\nBasDlgTitle=%s basic setup\r\n' "$(winpath "$dest")" "$NAME" >"$DISC/$NAME.inf"
  local cafe=$'Caf\xc3\xa9' # Café in UTF-8, as the disc maker's system names it
  printf '%s\n' "required Game files" "  desc The game and its ${cafe}." "  file GAME.DAT" \
    "  file data/levels/*.dat" "  file $cafe.dat = $cafe" "  file L*.dat" >"$T/groups.txt"

  out=$("$E2E_DISCTOOL" script "$T/groups.txt" "$DISC/$NAME.inf" 2>&1) || fail "script: $out"
  LC_ALL=C grep -qF $'Name=Caf\xe9.dat\r' "$DISC/$NAME.inf" ||
    fail "script did not write the name in code page 1252: $(cat -A "$DISC/$NAME.inf")"
  out=$("$E2E_DISCTOOL" check --strict "$DISC" 2>&1) || fail "check: $out"
  out=$("$E2E_DISCTOOL" master "$DISC" "$image" 2>&1) || fail "master: $out"

  mkdir -p "$read"
  out=$(xorriso -osirrox on -indev "$image" -extract / "$read" 2>&1) || fail "xorriso could not read the image back: $out"
  chmod -R u+w "$read"
  for rel in "${CHAIN_FILES[@]}"; do
    [ -f "$read/$rel" ] || fail "not in the image as named: $rel; the image holds: $(cd "$read" && find . -type f | paste -sd' ')"
    cmp -s "$DISC/$rel" "$read/$rel" || fail "contents differ in the image: $rel"
  done

  ini_drop_section "$NAME"
  setup_start "$read" "$NAME"
  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  chain_answer_until_game "$EXE"
  launcher_wait 15000
  expect_game_from "$read" "$NAME"
  for rel in "${CHAIN_FILES[@]}"; do expect_copy "$read/$rel" "$dest/$rel"; done
  expect_eq "$(ini_get "$NAME" $'Caf\xe9')" "$(dest_path "$dest" "$cafe.dat" | iconv -f UTF-8 -t CP1252)" \
    "record of the file under a key beyond ASCII (code page 1252)"

  chain_verify "$read"
  chain_verify "$DISC"

  # The next start from the image goes straight to the game.
  DISC=$read
  launch_without_window "$T"
  expect_game_from "$read" "$NAME"

  # A name the image would not hold as written (";" is ISO 9660's version mark): check
  # reports it and master presses no image.
  DISC=$T/disc
  printf 'semi\n' >"$DISC/A;B.DAT"
  printf '%s\n' "optional Semicolon" "  file A;B.DAT" >>"$T/groups.txt"
  out=$("$E2E_DISCTOOL" script "$T/groups.txt" "$DISC/$NAME.inf" 2>&1) || fail "script with A;B.DAT: $out"
  rc=0; out=$("$E2E_DISCTOOL" check -q "$DISC" 2>&1) || rc=$?
  expect_eq "$rc" 1 "check of a disc with A;B.DAT: exit status ($out)"
  grep -qF 'A;B.DAT' <<<"$out" || fail "check does not name A;B.DAT: $out"
  rm -f "$image"
  rc=0; out=$("$E2E_DISCTOOL" master "$DISC" "$image" 2>&1) || rc=$?
  [ "$rc" -ne 0 ] || fail "master pressed a disc with A;B.DAT"
  [ ! -e "$image" ] || fail "master left an image of a disc with A;B.DAT"
}
