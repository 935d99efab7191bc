# shellcheck shell=bash
# shellcheck disable=SC2154 # "here" is the folder of run.sh, which sources this file
# Start-up message scenarios (sourced by run.sh): the picture named by the install script's
# StartupOptions/Bitmap comes up before the game, on the direct launch and right after an
# install, fitted to the picture and centred, and the user's "don't show again" choice lands
# in the shared file.

# startup_product NAME PICTURE: the installed and current product of run.sh's product(), both
# files already recorded (so only the start-up message can write the shared file), with
# Bitmap=PICTURE; the launcher runs in $CWD, against which a relative picture name resolves.
startup_product() {
  product "$1"
  ini_set "$NAME" Key2 "$(winpath "$DEST")\\DATA\\LEVEL1.DAT"
  printf '[StartupOptions]\r\nBitmap=%s\r\n' "$2" >>"$DISC/$NAME.inf"
  CWD=$T/cwd
  mkdir -p "$CWD"
}

# picture FILE WIDTH HEIGHT: writes the picture into $CWD and its expected look to FILE.ppm.
picture() {
  python3 "$here/pictures.py" "$CWD/$1" "$2" "$3" "$T/$1.ppm" || fail "could not write $1"
}

# message_wait: waits for the start-up message (the dialog with the picture frame, IDC_PICTURE)
# and prints its handle.
message_wait() {
  drv wait-window --exe "$EXE" --class '#32770' --with-id IDC_PICTURE --visible --timeout 10000 ||
    fail "no start-up message came up"
}

# client_of HWND ID: the client size as "width height".
client_of() { drv info --hwnd "$1" --id "$2" | sed -n 's/^client=//p' | tr ',' ' '; }

screen_size() { xdpyinfo 2>/dev/null | awk '/dimensions:/ { sub(/x/, " ", $2); print $2; exit }'; }

# frame_shot HWND FILE: the picture frame's client area as it is on the screen, raw RGB.
frame_shot() {
  local fl ft fr fb cw ch
  read -r fl ft fr fb <<<"$(rect_of "$1" IDC_PICTURE)"
  read -r cw ch <<<"$(client_of "$1" IDC_PICTURE)"
  # The sunken edge is as wide on every side.
  local x=$((fl + (fr - fl - cw) / 2)) y=$((ft + (fb - ft - ch) / 2))
  xwd -root -silent | convert xwd:- -crop "${cw}x${ch}+${x}+${y}" +repage rgb:"$2"
}

# expect_frame_shows HWND PICTURE: the frame shows the picture through its palette, pixel for
# pixel. Painting runs in the launcher's own time, so a few looks are allowed.
expect_frame_shows() {
  local want=$T/$2.want.rgb got=$T/$2.got.rgb
  convert "$T/$2.ppm" rgb:"$want"
  for _ in $(seq $((25 * SLOWDOWN))); do
    frame_shot "$1" "$got"
    cmp -s "$want" "$got" && return 0
    sleep 0.2
  done
  local w h; read -r w h <<<"$(client_of "$1" IDC_PICTURE)"
  local differ; differ=$(compare -metric AE -size "${w}x${h}" -depth 8 rgb:"$got" rgb:"$want" null: 2>&1)
  fail "the frame does not show $2: $differ pixels differ"
}

# A WIZ picture larger than the frame, a PCX a little narrower and lower, and an IFF (ILBM)
# wider and lower (a picture so narrow that the controls would leave the dialog keeps them
# inside; a unit test covers that): each comes up before the game, centred, its frame's
# client area exactly the picture, drawn pixel for pixel, with the check box and OK keeping
# their distance from the bottom edge and moving sideways by half the change of width. OK
# with the box clear writes 1, and the game starts once the message is gone.
scenario_startup_pictures() {
  local sw sh; read -r sw sh <<<"$(screen_size)"
  [ -n "$sw" ] || fail "no screen size"
  local first="" spec file w h hwnd
  local d0l d0t d0r d0b f0l f0t f0r f0b k0l k0t k0r k0b b0l b0t b0r b0b w0
  for spec in "HELLO.WIZ 401 181" "HELLO.PCX 280 50" "HELLO.LBM 360 70"; do
    read -r file w h <<<"$spec"
    log "picture: $file ${w}x$h"
    rm -rf "$T/disc" "$T/dest" "$T/cwd"
    startup_product E2EPIC "$file"
    picture "$file" "$w" "$h"
    launcher_start "$CWD" "$DISC/$EXE"
    hwnd=$(message_wait) || exit 1
    expect_no_game
    expect_eq "$(drv text --hwnd "$hwnd" --id IDC_DONT_SHOW_AGAIN)" "&Please don't show me this message again." "check box text"
    expect_eq "$(client_of "$hwnd" IDC_PICTURE)" "$w $h" "frame's client area"
    expect_frame_shows "$hwnd" "$file"
    [ -z "${E2E_SHOTS:-}" ] || shot "$file"

    local dl dt dr db fl ft fr fb kl kt kr kb bl bt br bb
    read -r dl dt dr db <<<"$(rect_of "$hwnd")"
    read -r fl ft fr fb <<<"$(rect_of "$hwnd" IDC_PICTURE)"
    read -r kl kt kr kb <<<"$(rect_of "$hwnd" IDC_DONT_SHOW_AGAIN)"
    read -r bl bt br bb <<<"$(rect_of "$hwnd" 1)"
    expect_eq "$dl,$dt" "$(( (sw - (dr - dl)) / 2 )),$(( (sh - (db - dt)) / 2 ))" "dialog position (centred)"
    if [ -z "$first" ]; then
      first=$file w0=$w
      d0l=$dl d0t=$dt d0r=$dr d0b=$db f0l=$fl f0t=$ft f0r=$fr f0b=$fb
      k0l=$kl k0t=$kt k0r=$kr k0b=$kb b0l=$bl b0t=$bt b0r=$br b0b=$bb
    else
      # Against the first picture: the dialog and the frame grew alike, the controls kept
      # their sizes and their distance from the frame and from the bottom edge.
      expect_eq "$((dr - dl - fr + fl)),$((db - dt - fb + ft))" "$((d0r - d0l - f0r + f0l)),$((d0b - d0t - f0b + f0t))" \
        "dialog size less frame size"
      expect_eq "$((fl - dl)),$((ft - dt))" "$((f0l - d0l)),$((f0t - d0t))" "frame position"
      expect_eq "$((kr - kl))x$((kb - kt)) $((br - bl))x$((bb - bt))" \
        "$((k0r - k0l))x$((k0b - k0t)) $((b0r - b0l))x$((b0b - b0t))" "control sizes"
      expect_eq "$((kt - fb)),$((bt - fb)),$((db - kb)),$((db - bb))" \
        "$((k0t - f0b)),$((b0t - f0b)),$((d0b - k0b)),$((d0b - b0b))" "distances below the frame"
      # Sideways by half the change of width; each halving truncates, so the two moves
      # differ from half the difference of widths by at most one.
      local moved=$(( (kl - dl) - (k0l - d0l) )) half=$(( (w - w0) / 2 ))
      [ $((moved - half)) -ge -1 ] && [ $((moved - half)) -le 1 ] ||
        fail "check box moved by $moved against $first, expected about $half"
      expect_eq "$(( (bl - dl) - (b0l - d0l) ))" "$moved" "OK button's move"
    fi
    drv click --hwnd "$hwnd" --id IDOK || fail "click OK"
    game_wait_start 10000
    launcher_wait 15000
    expect_game_from "$DISC" "$NAME"
    expect_eq "$(ini_get "$NAME" ShowStartupAgain)" 1 "ShowStartupAgain after OK with the box clear"
  done
}

# Ticking the box and pressing OK writes 0 and the next start shows no message; Escape with
# the box ticked also writes 0.
scenario_startup_choice() {
  startup_product E2ECHOICE HELLO.PCX
  picture HELLO.PCX 120 40
  local hwnd
  launcher_start "$CWD" "$DISC/$EXE"
  hwnd=$(message_wait) || exit 1
  drv click --hwnd "$hwnd" --id IDC_DONT_SHOW_AGAIN || fail "tick the box"
  drv click --hwnd "$hwnd" --id IDOK || fail "click OK"
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  expect_eq "$(ini_get "$NAME" ShowStartupAgain)" 0 "ShowStartupAgain after OK with the box ticked"

  log "the next start"
  launch_without_window "$CWD"
  expect_game_from "$DISC" "$NAME"
  expect_eq "$(ini_get "$NAME" ShowStartupAgain)" 0 "ShowStartupAgain after a start without message"

  log "Escape with the box ticked"
  ini_drop_section "$NAME"
  ini_set "$NAME" Key1 "$(winpath "$DEST")\\GAME.DAT"
  ini_set "$NAME" Key2 "$(winpath "$DEST")\\DATA\\LEVEL1.DAT"
  launcher_start "$CWD" "$DISC/$EXE"
  hwnd=$(message_wait) || exit 1
  drv click --hwnd "$hwnd" --id IDC_DONT_SHOW_AGAIN || fail "tick the box"
  # The key's release may find the message already gone.
  drv key --hwnd "$hwnd" --id IDOK --vk VK_ESCAPE || drv wait-gone --hwnd "$hwnd" --timeout 100 || fail "press Escape"
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  expect_eq "$(ini_get "$NAME" ShowStartupAgain)" 0 "ShowStartupAgain after Escape with the box ticked"
}

# A missing picture, one of an unknown extension, a damaged one and an empty Bitmap: no
# message, the game starts, and the shared file stays exactly as it was.
scenario_startup_no_picture() {
  local bitmap
  for bitmap in NOSUCH.WIZ HELLO.BMP BROKEN.LBM ""; do
    log "Bitmap=$bitmap"
    rm -rf "$T/disc" "$T/dest" "$T/cwd"
    startup_product E2ENOPIC "$bitmap"
    python3 "$here/pictures.py" "$CWD/HELLO.WIZ" 40 20 "$T/unused.ppm" && mv "$CWD/HELLO.WIZ" "$CWD/HELLO.BMP"
    printf 'FORM\0\0\0\x04ILBM' >"$CWD/BROKEN.LBM"
    [ -n "$bitmap" ] || ini_set "$NAME" ShowStartupAgain 1
    local before; before=$(md5sum <"$SHARED_INI")
    launch_without_window "$CWD"
    expect_game_from "$DISC" "$NAME"
    expect_eq "$(md5sum <"$SHARED_INI")" "$before" "the shared file (written by the launcher)"
  done
}

# On an 8-bit palette display the message comes up, paints the picture and closes as on a
# true-colour display. Wine snaps the colours drawn there to its shared colour map (a
# couple of dozen of the picture's 236), so the frame is checked for showing many colours,
# not one blank area, instead of pixel for pixel.
scenario_startup_display8() {
  if [ -z "${DISPLAY8:-}" ]; then log "no 8-bit display (DISPLAY8): skipped"; exit 77; fi
  export DISPLAY=$DISPLAY8
  startup_product E2EPAL8 HELLO.WIZ
  picture HELLO.WIZ 300 100
  local hwnd colours
  launcher_start "$CWD" "$DISC/$EXE"
  hwnd=$(message_wait) || exit 1
  expect_no_game
  drv ping --hwnd "$hwnd" --timeout 2000 >/dev/null || fail "the message does not answer"
  expect_eq "$(client_of "$hwnd" IDC_PICTURE)" "300 100" "frame's client area"
  sleep 0.5
  frame_shot "$hwnd" "$T/frame8.rgb"
  colours=$(convert -size 300x100 -depth 8 rgb:"$T/frame8.rgb" -format '%k' info:)
  [ "$colours" -ge 8 ] || fail "the frame shows $colours colours: the picture was not painted"
  log "the frame shows $colours colours on the 8-bit display"
  [ -z "${E2E_SHOTS:-}" ] || shot display8
  drv click --hwnd "$hwnd" --id IDOK || fail "click OK"
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  expect_eq "$(ini_get "$NAME" ShowStartupAgain)" 1 "ShowStartupAgain"
}

# Right after an install the message comes up too, before the game: the setup dialog's OK
# copies the files, then offers the message; ticking the box keeps it away from the next
# start, which goes straight to the game.
scenario_startup_after_install() {
  setup_disc E2EAFTER GAME.DAT
  local dest=$T/dest hwnd
  mkdir -p "$dest"
  inf_make "$DISC/$NAME.inf" "$NAME" "$dest" "R|Game files|The game.|GAME.DAT=GameDat"
  printf '[StartupOptions]\r\nBitmap=HELLO.LBM\r\n' >>"$DISC/$NAME.inf"
  CWD=$T
  picture HELLO.LBM 300 90
  setup_start "$DISC" "$NAME"
  drv click --hwnd "$DLG" --id IDOK || fail "click OK"
  hwnd=$(message_wait) || exit 1
  expect_no_game
  [ -f "$dest/GAME.DAT" ] || fail "the message came before the install"
  expect_eq "$(client_of "$hwnd" IDC_PICTURE)" "300 90" "frame's client area"
  expect_frame_shows "$hwnd" HELLO.LBM
  drv click --hwnd "$hwnd" --id IDC_DONT_SHOW_AGAIN || fail "tick the box"
  drv click --hwnd "$hwnd" --id IDOK || fail "click OK"
  game_wait_start 10000
  launcher_wait 15000
  expect_game_from "$DISC" "$NAME"
  expect_eq "$(ini_get "$NAME" ShowStartupAgain)" 0 "ShowStartupAgain after OK with the box ticked"

  log "the next start"
  launch_without_window "$T"
  expect_game_from "$DISC" "$NAME"
}
