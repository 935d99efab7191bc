# shellcheck shell=bash
# The state variables set here (L_START, L_END, L_RC, DLG, RUN_CONTROLS...) are read by the
# scenario files that source this one.
# shellcheck disable=SC2034
# Helpers for the end-to-end scenarios (sourced by run.sh).
#
# Environment (CTest sets the first five and E2E_DISCTOOL; scripts/test exports DISPLAY, WINEPREFIX and WINE):
#   E2E_LAUNCHER, E2E_GAME, E2E_DRIVER   the built launcher.exe, testgame.exe and driver.exe
#   E2E_OUT                              where screenshots are kept (of failures; E2E_SHOTS=1 adds
#                                        a few of dialogs worth a look)
#   E2E_SCRIPTS                          the project's scripts/, for this host's Wine defaults
#   E2E_DISCTOOL                         the host build's disctool (disc_chain.sh; CTest passes
#                                        DISCTOOL_EXECUTABLE)
#   DISPLAY, WINEPREFIX, WINE            the virtual display, the Wine prefix and the loader
#                                        (by default those of scripts/wine-session env)
#   TEST_SLOWDOWN                        the machine's slowdown factor (a whole number, 1 to
#                                        100; set where the suite runs emulated): every time
#                                        limit here and in the driver is multiplied by it
#
# Every scenario works in its own temporary folder $T, uses its own product base name (so
# its section of the shared file is its own), bounds every wait, and on exit ends whatever
# it started that is still running.

set -uo pipefail

if [ -z "${WINEPREFIX:-}" ] || [ -z "${WINE:-}" ]; then
  wine_defaults=$("${E2E_SCRIPTS:-$(dirname "${BASH_SOURCE[0]}")/../../scripts}/wine-session" env)
  : "${WINEPREFIX:=$(sed -n 's/^WINEPREFIX=//p' <<<"$wine_defaults")}"
  : "${WINE:=$(sed -n 's/^WINE=//p' <<<"$wine_defaults")}"
fi
export WINEPREFIX WINE
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

T=""
SHARED_INI=""
SCENARIO=""
L_PID=""      # the launcher process (the wine process running it)
L_EXE=""      # its path
L_START=0     # its start, ms since 1970
L_END=0       # its end, ms since 1970
L_RC=""       # its exit code
W_PID=""      # a running window watcher
GAME_LOG=""
STARTED_PIDS=()

now_ms() { date +%s%3N; }

# The slowdown factor (TEST_SLOWDOWN) the driver uses too; 1 when unset or not such a number.
SLOWDOWN=1
if [[ ${TEST_SLOWDOWN:-} =~ ^[0-9]{1,3}$ ]] && ((10#$TEST_SLOWDOWN >= 1 && 10#$TEST_SLOWDOWN <= 100)); then
  SLOWDOWN=$((10#$TEST_SLOWDOWN))
fi

# limit_ms MS: a time limit of MS milliseconds on a native machine, on this one.
limit_ms() { echo $(($1 * SLOWDOWN)); }

# The Windows path of a Unix path (Wine maps / to Z:).
winpath() { local p=${1//\//\\}; printf 'Z:%s' "$p"; }

log() { printf '%s\n' "$*" >&2; }

shot() {
  local name=$1
  [ -n "${DISPLAY:-}" ] || return 0
  mkdir -p "$E2E_OUT"
  xwd -root -silent 2>/dev/null | convert xwd:- "$E2E_OUT/$SCENARIO-$name.png" 2>/dev/null &&
    log "screenshot: $E2E_OUT/$SCENARIO-$name.png"
}

fail() {
  log "FAIL [$SCENARIO]: $*"
  shot failure
  if [ -n "$L_PID" ] && [ -n "$T" ]; then
    log "windows of the launcher:"
    drv windows --exe "$(basename "${L_EXE:-none}")" >&2 || true
  fi
  exit 1
}

expect_eq() { # actual expected what
  [ "$1" == "$2" ] || fail "$3: got '$1', expected '$2'"
}

# Runs a driver command; output without the CR of Windows line ends. Once drv_serve has
# started the driver as a server, one Wine process answers every call made with the display
# and prefix it started with (a Wine process start costs seconds where the machine is
# emulated); other calls, and any while no server runs, start a driver of their own.
DRV_DIR=""
DRV_IN=""
DRV_OUT=""
DRV_PID=""
DRV_ENV=""
drv() {
  local word line rc=1
  if [ -n "$DRV_PID" ] && [ "$DRV_ENV" == "${DISPLAY:-}|$WINEPREFIX" ]; then
    for word in "$@"; do [[ $word != *$'\n'* ]] || { drv_once "$@"; return; }; done
    {
      flock 9
      local IFS=$'\x1f'
      printf '%s\n' "$*" >&"$DRV_IN"
      while IFS= read -r -u "$DRV_OUT" line; do
        line=${line%$'\r'}
        if [[ $line == $'\x1e'* ]]; then rc=${line:1}; break; fi
        printf '%s\n' "$line"
      done
    } 9>"$DRV_DIR/lock"
    return "$rc"
  fi
  drv_once "$@"
}
drv_once() { "$WINE" "$E2E_DRIVER" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

# drv_serve: starts the driver server for the drv calls that follow (call it from the
# script's own shell, not a subshell: the server's pipes are opened there).
drv_serve() {
  DRV_DIR=$(mktemp -d "${TMPDIR:-/tmp}/e2e-driver.XXXXXX") || return 1
  mkfifo "$DRV_DIR/in" "$DRV_DIR/out" || return 1
  "$WINE" "$E2E_DRIVER" serve <"$DRV_DIR/in" >"$DRV_DIR/out" &
  DRV_PID=$!
  exec {DRV_IN}>"$DRV_DIR/in" {DRV_OUT}<"$DRV_DIR/out"
  DRV_ENV="${DISPLAY:-}|$WINEPREFIX"
}

# drv_stop: ends the driver server: its input closes, so it ends by itself.
drv_stop() {
  [ -n "$DRV_PID" ] || return 0
  exec {DRV_IN}>&- {DRV_OUT}<&-
  local i
  for i in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$DRV_PID" 2>/dev/null || break; sleep 0.1; done
  kill "$DRV_PID" 2>/dev/null
  rm -rf "$DRV_DIR"
  DRV_PID=""
}

# Ends every process this scenario started that still runs: the launcher, the watcher, and
# any process whose command line names a file in $T (the games started by the launcher).
cleanup() {
  local rc=$?
  local p
  drv_stop
  for p in "${STARTED_PIDS[@]}"; do kill -0 "$p" 2>/dev/null && kill "$p" 2>/dev/null; done
  if [ -n "$T" ]; then
    local wt; wt=$(winpath "$T")
    for p in /proc/[0-9]*; do
      local cmd; cmd=$(tr '\0' ' ' 2>/dev/null <"$p/cmdline") || continue
      if [[ $cmd == *"$T"* || $cmd == *"$wt"* ]]; then kill "${p#/proc/}" 2>/dev/null; fi
    done
    sleep 0.2
    if [ $rc -eq 0 ] || [ $rc -eq 77 ]; then rm -rf "$T"; else log "kept $T"; fi
  fi
  exit $rc
}

# e2e_begin NAME: checks the environment and makes the scenario's folder.
e2e_begin() {
  SCENARIO=$1
  local v
  for v in E2E_LAUNCHER E2E_GAME E2E_DRIVER; do
    [ -n "${!v:-}" ] && [ -f "${!v}" ] || { log "$v is not set to a built file"; exit 1; }
  done
  if [ -z "${DISPLAY:-}" ]; then log "no DISPLAY: skipped"; exit 77; fi
  [ -n "$WINEPREFIX" ] && [ -d "$WINEPREFIX/drive_c/windows" ] || { log "no Wine prefix at '$WINEPREFIX'"; exit 1; }
  : "${E2E_OUT:=$PWD/out}"
  SHARED_INI=$WINEPREFIX/drive_c/windows/tivoroo.ini
  T=$(mktemp -d "/tmp/e2e-$SCENARIO.XXXXXX")
  trap cleanup EXIT
  trap 'exit 1' INT TERM
  GAME_LOG=$T/game.log
  export E2E_GAME_LOG; E2E_GAME_LOG=$(winpath "$GAME_LOG")
  export E2E_GAME_MS=${E2E_GAME_MS:-600}
  drv_serve || fail "the driver did not start"
}

# ---- product discs ---------------------------------------------------------------------

# disc_make DIR NAME [nogame]: the launcher as DIR/NAME.exe and the test game as NAME.a32.
disc_make() {
  mkdir -p "$1"
  cp "$E2E_LAUNCHER" "$1/$2.exe"
  [ "${3:-}" == nogame ] || cp "$E2E_GAME" "$1/$2.a32"
}

# The disc's files all carry this time, as if pressed on one day.
DISC_TIME="2001-02-03 04:05:06"

# disc_files DIR REL...: creates the files (REL with / for folders) with DISC_TIME.
disc_files() {
  local dir=$1 rel; shift
  for rel in "$@"; do
    mkdir -p "$(dirname "$dir/$rel")"
    printf 'contents of %s\n' "$rel" >"$dir/$rel"
    touch -d "$DISC_TIME" "$dir/$rel"
  done
}

# install_copies SRC DEST REL...: copies carrying their source's times, as an install leaves them.
install_copies() {
  local src=$1 dest=$2 rel; shift 2
  for rel in "$@"; do
    mkdir -p "$(dirname "$dest/$rel")"
    cp -p "$src/$rel" "$dest/$rel"
    touch -r "$src/$rel" "$dest/$rel"
  done
}

# inf_required FILE NAME DEST REL...: an install script with one required group holding the
# files REL (keys Key1..KeyN), DefaultDir DEST and titles "NAME basic setup" / "NAME advanced
# setup".
inf_required() {
  local file=$1 name=$2 dest=$3 i=0 rel; shift 3
  {
    printf '[General]\r\nDefaultDir=%s\r\n' "$(winpath "$dest")"
    printf 'BasDlgTitle=%s basic setup\r\nAdvDlgTitle=%s advanced setup\r\n' "$name" "$name"
    printf 'BasInstruct=Install %s.\r\nAdvInstruct=Choose what to install.\r\n' "$name"
    printf '[Required]\r\nPC-GroupCount=1\r\nPC-Group1Name=Game files\r\nPC-Group1FileCount=%d\r\n' $#
    for rel in "$@"; do
      i=$((i + 1))
      printf 'PC-Group%dFile%dName=%s\r\nPC-Group%dFile%dKey=Key%d\r\n' 1 $i "${rel//\//\\}" 1 $i $i
    done
  } >"$file"
}

# ---- the shared file -------------------------------------------------------------------

# ini_drop_section NAME: removes the product's section (names compare without case).
ini_drop_section() {
  [ -f "$SHARED_INI" ] || return 0
  INI_S=$1 awk '
    BEGIN { s = ENVIRON["INI_S"] }
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[.*\]$/ { skip = (tolower(substr(line, 2, length(line) - 2)) == tolower(s)) }
    !skip { print }' "$SHARED_INI" >"$SHARED_INI.tmp" && mv "$SHARED_INI.tmp" "$SHARED_INI"
}

# ini_set SECTION KEY VALUE: adds the key to a section that this scenario has just dropped.
ini_set() {
  local crlf=$'\r'
  if ! ini_sections | grep -qixF "$1"; then printf '[%s]\r\n' "$1" >>"$SHARED_INI"; fi
  # Values go through the environment: awk -v would take the backslashes of paths as escapes.
  INI_S=$1 INI_K=$2 INI_V=$3$crlf awk '
    BEGIN { s = ENVIRON["INI_S"]; k = ENVIRON["INI_K"]; v = ENVIRON["INI_V"] }
    { line = $0; sub(/\r$/, "", line); print }
    line ~ /^\[.*\]$/ && tolower(substr(line, 2, length(line) - 2)) == tolower(s) { print k "=" v }
  ' "$SHARED_INI" >"$SHARED_INI.tmp" && mv "$SHARED_INI.tmp" "$SHARED_INI"
}

ini_sections() {
  [ -f "$SHARED_INI" ] || return 0
  sed -n 's/\r$//; s/^\[\(.*\)\]$/\1/p' "$SHARED_INI"
}

# ini_get SECTION KEY: prints the value; status 1 when the key is absent.
ini_get() {
  [ -f "$SHARED_INI" ] || return 1
  INI_S=$1 INI_K=$2 awk '
    BEGIN { s = ENVIRON["INI_S"]; k = ENVIRON["INI_K"] }
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[.*\]$/ { in_s = (tolower(substr(line, 2, length(line) - 2)) == tolower(s)); next }
    in_s {
      eq = index(line, "=")
      if (eq > 0 && tolower(substr(line, 1, eq - 1)) == tolower(k)) { print substr(line, eq + 1); found = 1; exit }
    }
    END { exit !found }' "$SHARED_INI"
}

# ini_keys SECTION: prints the section's key names, one a line.
# ini_entries SECTION: the section's entries as KEY=VALUE lines, the key in lower case, each
# key once (the first, as ini_get finds it): one pass for a scenario that reads many keys.
ini_entries() {
  [ -f "$SHARED_INI" ] || return 0
  INI_S=$1 awk '
    BEGIN { s = ENVIRON["INI_S"] }
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[.*\]$/ { in_s = (tolower(substr(line, 2, length(line) - 2)) == tolower(s)); next }
    in_s && (eq = index(line, "=")) > 0 {
      k = tolower(substr(line, 1, eq - 1))
      if (!(k in seen)) { seen[k] = 1; print k "=" substr(line, eq + 1) }
    }' "$SHARED_INI"
}

ini_keys() {
  [ -f "$SHARED_INI" ] || return 0
  INI_S=$1 awk '
    BEGIN { s = ENVIRON["INI_S"] }
    { line = $0; sub(/\r$/, "", line) }
    line ~ /^\[.*\]$/ { in_s = (tolower(substr(line, 2, length(line) - 2)) == tolower(s)); next }
    in_s && index(line, "=") > 0 { print substr(line, 1, index(line, "=") - 1) }' "$SHARED_INI"
}

# ---- running ---------------------------------------------------------------------------

# Settings (NAME=VALUE) that the launcher's process alone gets, such as another locale.
LAUNCHER_ENV=()

# launcher_in_japanese: the launcher runs under a Japanese locale (code page 932), made in
# the scenario's folder; the scenario is skipped where the host cannot make it.
launcher_in_japanese() {
  local defs=/usr/share/i18n/locales/ja_JP locales=$T/locales
  if ! command -v localedef >/dev/null || [ ! -f "$defs" ]; then
    log "SKIPPED [$SCENARIO]: no localedef or no $defs to make the ja_JP.UTF-8 locale"
    exit 77
  fi
  mkdir -p "$locales"
  localedef -i ja_JP -f UTF-8 "$locales/ja_JP.UTF-8" >/dev/null 2>&1
  if [ ! -f "$locales/ja_JP.UTF-8/LC_CTYPE" ]; then
    log "SKIPPED [$SCENARIO]: localedef could not make the ja_JP.UTF-8 locale"
    exit 77
  fi
  LAUNCHER_ENV=("LOCPATH=$locales" LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8)
}

# launcher_start CWD EXE [ARGS...]: starts the launcher in the background from folder CWD.
launcher_start() {
  local cwd=$1; L_EXE=$2; shift 2
  rm -f "$GAME_LOG"
  L_RC=""
  L_START=$(now_ms)
  (cd "$cwd" && exec env "${LAUNCHER_ENV[@]}" "$WINE" "$L_EXE" "$@") &
  L_PID=$!
  STARTED_PIDS+=("$L_PID")
}

# launcher_wait TIMEOUT_MS: waits for the launcher's end; sets L_END and L_RC. Fails the
# scenario on time-out.
launcher_wait() {
  local limit=$(( $(now_ms) + $(limit_ms "$1") ))
  while kill -0 "$L_PID" 2>/dev/null; do
    # A process that has exited but is not yet reaped still answers kill -0: reap it.
    if [ "$(ps -o stat= -p "$L_PID" 2>/dev/null | cut -c1)" == Z ]; then break; fi
    [ "$(now_ms)" -lt "$limit" ] || fail "the launcher still runs after $(limit_ms "$1") ms"
    sleep 0.02
  done
  L_END=$(now_ms)
  wait "$L_PID"; L_RC=$?
}

# launcher_running: status 0 while the launcher process runs.
launcher_running() { kill -0 "$L_PID" 2>/dev/null && [ "$(ps -o stat= -p "$L_PID" | cut -c1)" != Z ]; }

# watch_start EXE_NAME: records every visible top-level window of the process EXE_NAME in
# $T/watch.out until the process has come and gone (or watch_stop is called).
watch_start() {
  rm -f "$T/watch.out" "$T/watch.stop"
  "$WINE" "$E2E_DRIVER" watch --exe "$1" --timeout 60000 --stop-file "$(winpath "$T/watch.stop")" \
    >"$T/watch.out" 2>&1 &
  W_PID=$!
  STARTED_PIDS+=("$W_PID")
  local i
  for i in $(seq $((100 * SLOWDOWN))); do grep -q watching "$T/watch.out" 2>/dev/null && return 0; sleep 0.05; done
  fail "the window watcher did not start"
}

# watch_stop: ends the watch and prints the windows it saw (none: empty output).
watch_stop() {
  : >"$T/watch.stop"
  wait "$W_PID" 2>/dev/null
  tr -d '\r' <"$T/watch.out" | grep -v '^watching$'
}

# Starts the launcher of the disc from the folder $1, waits up to $2 ms (default 15000) for
# it to end, and fails when it showed any window on the way.
launch_without_window() {
  watch_start "$EXE"
  launcher_start "$1" "$DISC/$EXE"
  launcher_wait "${2:-15000}"
  local seen; seen=$(watch_stop)
  [ -z "$seen" ] || fail "windows were shown: $seen"
}

# game_get KEY: a value from the game's record of its start; status 1 when absent.
game_get() {
  [ -f "$GAME_LOG" ] || return 1
  sed -n "s/^$1=//p" "$GAME_LOG" | tr -d '\r' | head -n 1 | grep .
}

# game_wait_start TIMEOUT_MS: waits until the game has recorded its start.
game_wait_start() {
  local limit=$(( $(now_ms) + $(limit_ms "$1") ))
  until game_get cwd >/dev/null; do
    [ "$(now_ms)" -lt "$limit" ] || fail "the game did not start within $(limit_ms "$1") ms"
    sleep 0.02
  done
}

# expect_no_game: the game was not started.
expect_no_game() {
  [ ! -f "$GAME_LOG" ] || fail "the game was started: $(tr '\n' ' ' <"$GAME_LOG")"
}

# expect_game_from DISC NAME: the game NAME.a32 of folder DISC was started with its path
# alone as command line (bare or in quotes), and the launcher waited for it.
expect_game_from() {
  local exe; exe="$(winpath "$1")\\$2.a32"
  local got_exe got_cmd
  got_exe=$(game_get exe) || fail "the game was not started"
  expect_eq "$got_exe" "$exe" "started program"
  got_cmd=$(game_get cmdline)
  [ "$got_cmd" == "$exe" ] || [ "$got_cmd" == "\"$exe\"" ] ||
    fail "game command line: got '$got_cmd', expected the path $exe alone"
}

# expect_setup_dialog EXE_NAME CAPTION: the launcher shows its setup dialog with CAPTION;
# prints its handle.
expect_setup_dialog() {
  local hwnd caption
  hwnd=$(drv wait-window --exe "$1" --class '#32770' --visible --timeout 8000) ||
    fail "no setup dialog came up"
  caption=$(drv text --hwnd "$hwnd") || fail "the setup dialog does not answer"
  if [ "$caption" == "$TEMPLATE_CAPTION" ]; then
    # The window's captions are not filled from the install script yet: every other check
    # still runs, and the scenario ends as skipped instead of passed (see e2e_end).
    printf 'caption %s, expected %s\n' "$caption" "$2" >>"$T/pending"
  else
    expect_eq "$caption" "$2" "setup dialog caption"
  fi
  printf '%s\n' "$hwnd"
}

# The caption of the setup dialog's template, replaced from the install script when it opens.
TEMPLATE_CAPTION="Dialog Title Here."

# e2e_end: passed, or skipped when a check could only be deferred (the scenario's own checks
# all held, but the dialog still showed its template caption).
e2e_end() {
  if [ -f "$T/pending" ]; then
    log "SKIPPED [$SCENARIO]: the setup dialog still shows its template caption:"
    sed 's/^/  /' "$T/pending" >&2
    exit 77
  fi
  log "PASS [$SCENARIO]"
}

# ---- setup dialog and install run ------------------------------------------------------

# inf_make FILE NAME DEST GROUP...: an install script with DefaultDir DEST, titles "NAME basic
# setup" / "NAME advanced setup", instructions from $BAS_INSTRUCT / $ADV_INSTRUCT (defaults
# short), and the groups in order. A GROUP is "R|name|description|REL=KEY REL=KEY ..." for the
# Required section or "O|..." for Optional (REL with / for folders; no files: nothing after
# the last |).
inf_make() {
  local file=$1 name=$2 dest=$3 g gname desc files section i j f
  shift 3
  local -a req=() opt=() groups=()
  for g in "$@"; do
    case ${g%%|*} in R) req+=("$g") ;; O) opt+=("$g") ;; *) log "bad group $g"; exit 2 ;; esac
  done
  {
    printf '[General]\r\nDefaultDir=%s\r\n' "$(winpath "$dest")"
    printf 'BasDlgTitle=%s basic setup\r\nAdvDlgTitle=%s advanced setup\r\n' "$name" "$name"
    printf 'BasInstruct=%s\r\n' "${BAS_INSTRUCT:-Install $name.}"
    printf 'AdvInstruct=%s\r\n' "${ADV_INSTRUCT:-Choose what to install.}"
    for section in Required Optional; do
      if [ $section == Required ]; then groups=("${req[@]}"); else groups=("${opt[@]}"); fi
      printf '[%s]\r\nPC-GroupCount=%d\r\n' $section ${#groups[@]}
      i=0
      for g in "${groups[@]}"; do
        i=$((i + 1))
        IFS='|' read -r _ gname desc files <<<"$g"
        printf 'PC-Group%dName=%s\r\nPC-Group%dDesc=%s\r\n' $i "$gname" $i "$desc"
        j=0
        for f in $files; do
          j=$((j + 1))
          printf 'PC-Group%dFile%dName=%s\r\nPC-Group%dFile%dKey=%s\r\n' $i $j "$(tr / '\\' <<<"${f%%=*}")" $i $j "${f#*=}"
        done
        printf 'PC-Group%dFileCount=%d\r\n' $i $j
      done
    done
  } >"$file"
}

# setup_start DIR NAME [ARGS...]: starts the launcher DIR/NAME.exe and waits for its setup
# dialog; sets DLG to its handle. The caption is checked by the caller.
setup_start() {
  local dir=$1 name=$2; shift 2
  launcher_start "$T" "$dir/$name.exe" "$@"
  DLG=$(drv wait-window --exe "$name.exe" --class '#32770' --visible --timeout 8000) ||
    fail "no setup dialog came up"
}

# The message box of process EXE currently shown, or "" when there is none. A message box's
# text is a static without an id of its own (IDC_STATIC); the progress dialog's labels are
# such statics too: it is not one.
message_box() {
  drv windows --exe "$1" --class '#32770' --with-id IDC_STATIC --visible 2>/dev/null |
    awk -F'\t' '$6 != "Copy Progress" { print $1; exit }'
}

# answer_box EXE CAPTION TEXT ICON BUTTON: waits for the launcher's message box, checks its
# caption, text and icon (hand, question, ...), presses BUTTON (IDOK, IDYES, IDNO) and waits
# until it is gone.
answer_box() {
  local exe=$1 caption=$2 text=$3 icon=$4 button=$5 mb got
  mb=$(drv wait-window --exe "$exe" --caption "$caption" --with-id IDC_STATIC --visible --timeout 8000) ||
    fail "no message box '$caption' came up; windows: $(drv windows --exe "$exe" --visible | cut -f6 | paste -sd'|')"
  expect_eq "$(drv text --hwnd "$mb")" "$caption" "message box caption"
  expect_eq "$(drv text --hwnd "$mb" --id IDC_STATIC)" "$text" "text of the '$caption' box"
  got=$(drv icon --hwnd "$mb") || fail "cannot read the icon of '$caption'"
  expect_eq "${got%% *}" "$icon" "icon of the '$caption' box ($got)"
  drv click --hwnd "$mb" --id "$button" || fail "cannot press $button in '$caption'"
  drv wait-gone --hwnd "$mb" --timeout 5000 || fail "the '$caption' box stayed"
}

# expect_no_box EXE MS: no message box of EXE comes up within MS milliseconds.
expect_no_box() {
  local limit=$(( $(now_ms) + $2 )) mb
  while [ "$(now_ms)" -lt "$limit" ]; do
    mb=$(message_box "$1")
    [ -z "$mb" ] || fail "unexpected message box: $(drv text --hwnd "$mb" --id IDC_STATIC 2>/dev/null | paste -sd' ')"
    sleep 0.05
  done
}

# expect_enabled HWND STATE ID...: each control ID of the window is enabled (1) or not (0).
expect_enabled() {
  local hwnd=$1 state=$2 id; shift 2
  for id in "$@"; do
    expect_eq "$(drv info --hwnd "$hwnd" --id "$id" | sed -n 's/^enabled=//p')" "$state" "enabled state of control $id"
  done
}

# The controls that an install run disables and enables again (More/Less when it is in use).
RUN_CONTROLS=(IDOK IDCANCEL IDC_BROWSE IDC_DESTINATION IDC_COMPONENTS)

# win_rect HWND [ID]: the screen rectangle of the window or one of its controls.
win_rect() {
  if [ $# -gt 1 ]; then drv info --hwnd "$1" --id "$2"; else drv info --hwnd "$1"; fi | sed -n 's/^rect=//p'
}

# rect_of HWND [ID]: the same rectangle as "left top right bottom", for read.
rect_of() { win_rect "$@" | tr , ' '; }

# row_state HWND ROW: "checked=C enabled=E" of a row of the check-list IDC_COMPONENTS.
row_state() { drv check --hwnd "$1" --id IDC_COMPONENTS --row "$2" || fail "cannot read row $2"; }

# win_times UNIXPATH: creation, access and write times of a file as Windows sees them.
win_times() { drv times --text "$(winpath "$1")" || fail "cannot read the times of $1"; }

# expect_copy SRC DST: DST has SRC's contents and its three times (write time checked exactly
# on the host too). The times come first: reading the contents may move the access times.
expect_copy() {
  [ -f "$2" ] || fail "not copied: $2"
  expect_eq "$(stat -c %y "$2")" "$(stat -c %y "$1")" "write time of $2"
  expect_eq "$(win_times "$2" | paste -sd' ')" "$(win_times "$1" | paste -sd' ')" "Windows times of $2"
  cmp -s "$1" "$2" || fail "contents differ: $2"
}

