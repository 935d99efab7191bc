#!/usr/bin/env bash
# Checks that every C++ source tracked in this checkout is laid out as .clang-format at the
# root says, and names each file that is not. To lay a file out: clang-format -i FILE.
# Usage: format_check.sh PATH_TO_CLANG_FORMAT   (from the root of the checkout)
set -uo pipefail
clang_format=$1
files=()
while IFS= read -r f; do files+=("$f"); done < <(git ls-files '*.cpp' '*.h')
[ ${#files[@]} -gt 0 ] || { echo "no C++ sources found"; exit 1; }
echo "checking ${#files[@]} files with $("$clang_format" --version)"
if ! output=$("$clang_format" --dry-run --Werror "${files[@]}" 2>&1); then
  bad=$(grep -oE '^[^:]+:[0-9]+:[0-9]+: error' <<<"$output" | cut -d: -f1 | sort -u)
  if [ -z "$bad" ]; then
    echo "$output"
  else
    echo "not laid out by .clang-format (clang-format -i FILE):"
    echo "$bad"
  fi
  exit 1
fi
