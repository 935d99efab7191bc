# shellcheck shell=bash
# What scripts/demo and scripts/preview share, sourced by both after setting `tool` (the name
# their messages start with) and `root` (the checkout): the messages, the logged build steps,
# the Windows tree this host can run and the Wine session a walk-through runs in.

: "${tool:?set tool before sourcing}" "${root:?set root before sourcing}"

step() { echo "=== $tool: $*"; }
die() { echo "=== $tool: $*" >&2; exit 1; }

# logged LOG COMMAND...: runs a build step with its output in LOG, shown only when it fails.
logged() {
  local log=$1; shift
  "$@" >"$log" 2>&1 || { tail -n 40 "$log"; die "failed: $* (full log in $log)"; }
}

# choose_win_tree: sets win_preset and build_kind. The shipped 32-bit build where the host
# runs 32-bit programs, the 64-bit build where it does not (scripts/host-runs-i386).
choose_win_tree() {
  if "$root/scripts/host-runs-i386" >/dev/null; then
    win_preset=win32 build_kind="32-bit build, the one that ships"
  else
    win_preset=win64 build_kind="64-bit build: this host runs no 32-bit programs"
  fi
}

# build_walk_tools HOST_DIR WIN_DIR TARGET...: installs what is missing (scripts/bootstrap),
# builds disctool in HOST_DIR (host preset) and the TARGETs in WIN_DIR (win_preset), with the
# build logs in build/TOOL.*.log.
build_walk_tools() {
  local host_dir=$1 win_dir=$2 jobs
  shift 2
  "$root/scripts/bootstrap" || die "bootstrap failed"
  jobs=$(nproc 2>/dev/null || echo 2)
  mkdir -p "$root/build"
  step "building disctool (host preset)"
  logged "$root/build/$tool.host.log" cmake --preset host -B "$host_dir"
  logged "$root/build/$tool.host.log" cmake --build "$host_dir" --target disctool -j "$jobs"
  step "building $* ($win_preset preset: the $build_kind)"
  logged "$root/build/$tool.$win_preset.log" cmake --preset "$win_preset" -B "$win_dir" \
    -DDISCTOOL_EXECUTABLE="$host_dir/tools/disctool"
  logged "$root/build/$tool.$win_preset.log" cmake --build "$win_dir" --target "$@" -j "$jobs"
}

# start_wine: starts scripts/wine-session (prefix WINEPREFIX when set, state file
# WINE_SESSION_STATE) and exports its environment: WINE, WINEPREFIX, DISPLAY... The caller
# stops it with `scripts/wine-session stop` under the same WINE_SESSION_STATE.
start_wine() {
  local session_env k v
  session_env=$("$root/scripts/wine-session" start) || die "could not start Wine and the virtual display"
  while IFS='=' read -r k v; do export "$k=$v"; done <<<"$session_env"
}
