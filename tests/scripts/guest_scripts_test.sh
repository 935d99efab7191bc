#!/usr/bin/env bash
# The guest scripts (scripts/guest-image, scripts/guest-run) against stand-ins for the
# emulator, debootstrap, mount, umount, chroot and the disk tools on PATH: what they remove,
# what they leave of the caller's, and how they stop.
#   guest_scripts_test.sh SCRIPTS_DIR
set -uo pipefail
scripts=$(cd "$1" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/guest-scripts-test.XXXXXX")
# Ends what a failed case left running (stand-in emulators only, by their own process ids).
stop_leftovers() {
  local f
  for f in "$work"/qemu-pids/*; do [ -e "$f" ] && kill -KILL "${f##*/}" 2>/dev/null; done
  rm -rf "$work"
}
trap stop_leftovers EXIT
status=0
fail() { echo "FAIL: $*"; status=1; }

# ---- stand-ins --------------------------------------------------------------------------
bin=$work/bin
mkdir -p "$bin"
stand_in() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$bin/$1"; chmod +x "$bin/$1"; }
stand_in sudo 'exec "$@"'
# debootstrap ... SUITE ROOT MIRROR: a tree with what the later stages look for.
stand_in debootstrap '[ "${FAKE_DEBOOTSTRAP_STATUS:-0}" = 0 ] || exit "$FAKE_DEBOOTSTRAP_STATUS"
root=${@: -2:1}
mkdir -p "$root"/{proc,dev,boot,sbin,etc,usr/sbin,usr/lib/wine,var/lib/apt/lists,usr/share/doc}
touch "$root/usr/lib/wine/wine" "$root/boot/vmlinuz-6.1" "$root/boot/initrd.img-6.1"'
# mount --bind /dev ROOT/dev shows the host'"'"'s device nodes there, as a real bind would.
stand_in mount 'if [ "$1" = --bind ]; then touch "$3/host-device-node"; fi'
stand_in umount 'exit "${FAKE_UMOUNT_STATUS:-0}"'
stand_in chroot 'case " $* " in *" dpkg-query "*) echo "install ok installed" ;; esac'
stand_in mke2fs 'touch "${@: -2:1}"'
stand_in qemu-img 'touch "${@: -1}"'
# The emulator: "ok" runs nothing but reports exit status 0 through guest-run'"'"'s own folder
# (the -virtfs with mount_tag=control); "hang" waits until it is stopped.
stand_in qemu-system-x86_64 'for a in "$@"; do
  case $a in local,path=*,mount_tag=control,*) control=${a#local,path=}; control=${control%%,*} ;; esac
done
echo $$ >"$FAKE_QEMU_PIDS/$$"
if [ "${FAKE_QEMU:-ok}" = hang ]; then exec sleep 300; fi
echo 0 >"$control/exit-code"'
export PATH=$bin:$PATH FAKE_QEMU_PIDS=$work/qemu-pids TMPDIR=$work/tmp
mkdir -p "$FAKE_QEMU_PIDS" "$TMPDIR"

image=$work/image
mkdir -p "$image"
touch "$image/vmlinuz" "$image/initrd.img" "$image/disk.qcow2"
export GUEST_IMAGE_DIR=$image

# running_emulators: stand-in emulators still alive.
running_emulators() {
  local f n=0
  for f in "$FAKE_QEMU_PIDS"/*; do [ -e "$f" ] && kill -0 "${f##*/}" 2>/dev/null && n=$((n + 1)); done
  echo $n
}
# wait_for_emulator: up to 10 s for a stand-in emulator to start.
wait_for_emulator() {
  local _
  for _ in $(seq 100); do [ -n "$(ls "$FAKE_QEMU_PIDS")" ] && return 0; sleep 0.1; done
  return 1
}

# ---- guest-run: the caller's share is never written -------------------------------------
share=$work/share
mkdir -p "$share"
echo 'echo the user job' >"$share/job"
for f in job.sh job.bash exit-code copy.tar notes.txt; do echo "mine: $f" >"$share/$f"; done
before=$(cd "$share" && find . -type f -exec sha256sum {} + | sort)
"$scripts/guest-run" --share "$share" >/dev/null 2>&1 || fail "guest-run with the share's job: exit $?"
"$scripts/guest-run" --share "$share" >/dev/null 2>&1 || fail "guest-run a second time: exit $?"
"$scripts/guest-run" --share "$share" -- true >/dev/null 2>&1 || fail "guest-run with a command: exit $?"
after=$(cd "$share" && find . -type f -exec sha256sum {} + | sort)
[ "$before" = "$after" ] || fail "guest-run changed the share: $(diff <(echo "$before") <(echo "$after"))"
[ -z "$(ls "$TMPDIR")" ] || fail "guest-run left $(ls "$TMPDIR") behind"

# ---- guest-run: interrupted, killed or out of time, it stops the emulator and cleans up --
# how: TERM, HUP or INT (Ctrl-C; started with its default action, as from a terminal).
for how in TERM HUP INT; do
  rm -f "$FAKE_QEMU_PIDS"/* "$work/runner.pid"
  FAKE_QEMU=hang python3 -c '
import signal, subprocess, sys
p = subprocess.Popen(sys.argv[2:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                     preexec_fn=lambda: signal.signal(signal.SIGINT, signal.SIG_DFL))
open(sys.argv[1], "w").write(str(p.pid))
sys.exit(p.wait())' "$work/runner.pid" "$scripts/guest-run" -- true &
  runner=$!
  wait_for_emulator || { fail "$how: the stand-in emulator never started"; kill $runner; continue; }
  sleep 0.3
  kill -"$how" "$(cat "$work/runner.pid")"
  for _ in $(seq 100); do kill -0 $runner 2>/dev/null || break; sleep 0.1; done
  if kill -0 $runner 2>/dev/null; then
    fail "$how: guest-run still runs 10 s after the signal"; kill -KILL "$(cat "$work/runner.pid")"
  fi
  wait $runner
  rc=$?
  case $how in INT) want=130 ;; *) want=143 ;; esac
  [ $rc -eq $want ] || fail "$how: exit status $rc, expected $want"
  [ "$(running_emulators)" = 0 ] || fail "$how: the emulator still runs"
  [ -z "$(ls "$TMPDIR")" ] || fail "$how: left $(ls "$TMPDIR") behind"
done

rm -f "$FAKE_QEMU_PIDS"/*
start=$(date +%s)
FAKE_QEMU=hang "$scripts/guest-run" --time-limit 1 -- true >/dev/null 2>&1
rc=$?
[ $rc -eq 124 ] || fail "time limit: exit status $rc, expected 124"
[ $(($(date +%s) - start)) -le 15 ] || fail "time limit: took $(($(date +%s) - start)) s"
[ "$(running_emulators)" = 0 ] || fail "time limit: the emulator still runs"
unset GUEST_IMAGE_DIR

# ---- guest-image: removes only its own images; never crosses a mount it could not undo ----
cache=$work/cache
mkdir -p "$cache/mine" "$cache/0123456789abcdef" "$cache/fedcba9876543210" "$cache/linked"
echo notes >"$cache/mine/notes.txt"
touch "$cache/0123456789abcdef/ready" "$cache/0123456789abcdef/disk.qcow2"
echo keep >"$cache/fedcba9876543210/keep.txt"
touch "$cache/linked/ready"
ln -s linked "$cache/aaaaaaaaaaaaaaaa"
echo notes >"$cache/notes.txt"
export GUEST_CACHE=$cache
out=$("$scripts/guest-image" 2>"$work/image.err") || fail "guest-image: exit $? ($(tail -n 3 "$work/image.err"))"
[ -f "$out/ready" ] && [ -f "$out/disk.qcow2" ] || fail "guest-image: no whole image at '$out'"
[ ! -e "$cache/0123456789abcdef" ] || fail "guest-image kept the image of an older key"
for kept in mine/notes.txt notes.txt fedcba9876543210/keep.txt linked/ready aaaaaaaaaaaaaaaa; do
  [ -e "$cache/$kept" ] || fail "guest-image removed $kept, which it did not make"
done
[ -z "$(find "$cache" -maxdepth 1 -name '.build-*')" ] || fail "guest-image left its build folder"

# An image past its age is renewed; when the renewal fails the old one serves on.
touch -d '40 days ago' "$out/ready"
again=$(FAKE_DEBOOTSTRAP_STATUS=1 "$scripts/guest-image" 2>"$work/image.err") ||
  fail "a failed renewal: exit $?"
[ "$again" = "$out" ] && [ -f "$out/ready" ] || fail "a failed renewal did not keep the old image"
grep -q 'serves on' "$work/image.err" || fail "a failed renewal said nothing"
GUEST_IMAGE_MAX_DAYS=365 "$scripts/guest-image" >/dev/null 2>&1 || fail "a fresh enough image was not used"

# umount fails: the stage stops, and nothing below the mount is removed.
FAKE_UMOUNT_STATUS=32 "$scripts/guest-image" --force >/dev/null 2>"$work/image.err" &&
  fail "guest-image passed although /dev could not be unmounted"
grep -q 'FAILED at: unmount' "$work/image.err" || fail "the failed unmount was not named: $(tail -n 2 "$work/image.err")"
node=$(find "$cache" -path '*/.build-*/root/dev/host-device-node')
[ -n "$node" ] || fail "a folder with /dev still mounted was removed"
grep -q 'left in place' "$work/image.err" || fail "the kept build folder was not named"
rm -rf "$cache"/.build-*

[ $status -ne 0 ] || echo "guest scripts: all cases hold"
exit $status
