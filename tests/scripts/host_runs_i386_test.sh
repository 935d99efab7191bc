#!/usr/bin/env bash
# Checks scripts/host-runs-i386 against real attempts to run 32-bit x86 programs here: a plain
# i386 program assembled and linked on the spot (binutils), and the 32-bit Wine loader when it
# is installed. The probe may never say "yes" where they fail, and says "no" where they run
# only under a user-mode emulator registered with binfmt_misc.
#   host_runs_i386_test.sh PROBE
set -uo pipefail
probe=$1
status=0
fail() { echo "FAIL: $*"; status=1; }

answer=$("$probe"); rc=$?
case "$answer/$rc" in
  yes/0|no/1) ;;
  *) fail "the probe printed '$answer' with status $rc" ;;
esac
echo "probe: $answer"

# An emulator registered for i386 programs runs them, but not as this kernel does.
emulated=no
for f in /proc/sys/fs/binfmt_misc/*; do
  grep -q '^enabled' "$f" 2>/dev/null &&
    grep -qE '^magic 7f454c4601010100000000000000000002000300|^interpreter .*i386' "$f" && emulated=yes
done

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
# shellcheck disable=SC2016 # assembly, not shell expansions
printf '.globl _start\n_start:\n  mov $1, %%eax\n  xor %%ebx, %%ebx\n  int $0x80\n' >"$dir/exit.s"
if as --32 -o "$dir/exit.o" "$dir/exit.s" && ld -m elf_i386 -o "$dir/exit" "$dir/exit.o"; then
  if "$dir/exit" 2>/dev/null; then
    echo "a plain i386 program runs (emulator registered: $emulated)"
    if [ $emulated = no ]; then [ "$answer" = yes ] || fail "an i386 program runs here, but the probe says no"; fi
  else
    echo "a plain i386 program does not run"
    [ "$answer" = no ] || fail "no i386 program runs here, but the probe says yes"
  fi
else
  fail "could not assemble an i386 program"
fi

if [ -x /usr/lib/wine/wine ]; then
  if /usr/lib/wine/wine --version >/dev/null 2>&1; then
    echo "the 32-bit Wine loader starts"
    if [ $emulated = no ]; then [ "$answer" = yes ] || fail "the 32-bit Wine loader starts, but the probe says no"; fi
  else
    echo "the 32-bit Wine loader does not start"
    [ "$answer" = no ] || fail "the 32-bit Wine loader does not start, but the probe says yes"
  fi
else
  echo "the 32-bit Wine loader is not installed"
fi

# The test aid forces "no" whatever the host.
[ "$(HOST_RUNS_I386=no "$probe")" = no ] || fail "HOST_RUNS_I386=no does not force no"
exit $status
