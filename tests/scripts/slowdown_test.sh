#!/usr/bin/env bash
# Checks how the end-to-end helpers read the slowdown factor TEST_SLOWDOWN: a whole number
# from 1 to 100 multiplies every time limit; anything else leaves native limits untouched.
#   slowdown_test.sh LIB_SH
set -uo pipefail
lib=$1
status=0

# value of TEST_SLOWDOWN ("-" for unset) : limit_ms 5000 expected
cases=(
  "-:5000" ":5000" "1:5000" "5:25000" "007:35000" "100:500000"
  "0:5000" "101:5000" "-3:5000" "2.5:5000" "5x:5000" " 5:5000" "9999:5000"
)
for c in "${cases[@]}"; do
  value=${c%:*} want=${c##*:}
  got=$(
    if [ "$value" = - ]; then unset TEST_SLOWDOWN; else export TEST_SLOWDOWN=$value; fi
    # Names set so that the helpers ask nothing of Wine when sourced.
    export WINEPREFIX=/nonexistent WINE=false
    # shellcheck source=../e2e/lib.sh
    . "$lib" && limit_ms 5000
  )
  if [ "$got" != "$want" ]; then
    echo "FAIL: TEST_SLOWDOWN='$value': limit_ms 5000 gave '$got', expected $want"
    status=1
  fi
done
[ $status -ne 0 ] || echo "slowdown: ${#cases[@]} cases hold"
exit $status
