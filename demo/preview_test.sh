#!/usr/bin/env bash
# preview_test.sh DISC: scripts/preview on a built disc, with --remove, as a disc maker runs it
# on a fresh machine: it must pass, leave a picture of each step a player sees, and leave
# nothing else behind (its Wine prefix, links and Wine's server folder live in temporary
# folders it removes).
# Environment: PREVIEW_HOST_DIR and PREVIEW_WIN_DIR, the built trees (nothing is built here).
set -uo pipefail
[ $# -eq 1 ] || { echo "usage: preview_test.sh DISC" >&2; exit 2; }
root=$(cd "$(dirname "$0")/.." && pwd)
scratch=$(mktemp -d) || exit 1
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/tmp"

wine_folders() { find /tmp -maxdepth 1 -name 'preview-wine.*' | sort; }
before=$(wine_folders)
TMPDIR=$scratch/tmp PREVIEW_NO_BUILD=1 "$root/scripts/preview" --remove "$1" "$scratch/shots" ||
  { echo "FAIL: the preview failed"; exit 1; }
status=0
for step in setup-basic setup-advanced create-directory startup-message game remove-question remove-result; do
  shot=$(find "$scratch/shots" -name "[0-9][0-9]-$step.png" | head -n 1)
  if [ -z "$shot" ]; then
    echo "FAIL: no picture of $step"; status=1
  elif ! identify "$shot" >/dev/null 2>&1; then
    echo "FAIL: $shot is no picture"; status=1
  fi
done
if find "$scratch/shots" -name '*failure*' | grep -q .; then echo "FAIL: a failure picture"; status=1; fi
left=$(find "$scratch/tmp" -mindepth 1 | head -n 3)
[ -z "$left" ] || { echo "FAIL: the preview left behind: $left"; status=1; }
left=$(comm -13 <(echo "$before") <(wine_folders))
[ -z "$left" ] || { echo "FAIL: the preview left Wine's folder behind: $left"; status=1; }
[ $status -ne 0 ] || echo "preview passed with $(find "$scratch/shots" -name '*.png' | wc -l) pictures"
exit $status
