#!/usr/bin/env bash
# Runs shellcheck (warnings and errors) over every shell script tracked in this checkout: the
# files ending in .sh and those whose first line names bash or sh.
# Usage: shellcheck_all.sh PATH_TO_SHELLCHECK   (from the root of the checkout)
set -uo pipefail
shellcheck=$1
scripts=()
while IFS= read -r f; do
  case $f in
    *.sh) scripts+=("$f") ;;
    *) [ -f "$f" ] && head -n 1 "$f" | grep -qE '^#!.*\b(ba)?sh\b' && scripts+=("$f") ;;
  esac
done < <(git ls-files 2>/dev/null || find . -type f -not -path './build/*' -not -path './.git/*')
[ ${#scripts[@]} -gt 0 ] || { echo "no scripts found"; exit 1; }
echo "checking ${#scripts[@]} scripts"
"$shellcheck" -S warning -f gcc "${scripts[@]}"
