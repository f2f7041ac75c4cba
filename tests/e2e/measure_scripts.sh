#!/usr/bin/env bash
# End to end: scripts/latency and scripts/e2e-cost run for 3 s each on this build and print
# their figures (a smoke run; the figures themselves are no test).
#   measure_scripts.sh BUILD
set -u
here=$(cd "$(dirname "$0")/../.." && pwd)
out=$(mktemp)
fail() { echo "FAIL: $*"; cat "$out"; rm -f "$out"; exit 1; }
MEASURE_BUILT=1 timeout 300 bash "$here/scripts/latency" 3 > "$out" 2>&1 || fail "scripts/latency failed"
[ "$(grep -c 'latency ms: median' "$out")" = 2 ] || fail "scripts/latency printed no latency for both formats"
grep -q 'frames offered [1-9]' "$out" || fail "no frames offered"
MEASURE_BUILT=1 timeout 300 bash "$here/scripts/e2e-cost" 3 > "$out" 2>&1 || fail "scripts/e2e-cost failed"
grep -q 'Vardelo: received [1-9][0-9]*, shown [1-9]' "$out" || fail "scripts/e2e-cost saw no frames shown"
grep -q 'ratio Vardelo / ffplay: [0-9]' "$out" || fail "scripts/e2e-cost printed no ratio"
cat "$out"
rm -f "$out"
