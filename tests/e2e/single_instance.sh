#!/usr/bin/env bash
# End to end: Vardelo starts and draws its window; a second copy raises the first and exits
# with 0 without a window of its own; closing the first ends it with exit code 0.
#   single_instance.sh BUILD [EXE]   EXE: another copy of Vardelo.exe (an installed one)
set -u
bin=$1/bin
exe=${2:-$bin/Vardelo.exe}
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/tests/e2e/lib/common.sh"

run "$exe" & first=$!
wait_for 60 windows_are 1 || fail "the main window did not appear"

# The window is drawn: the screen is not one flat colour.
shot=$(mktemp --suffix=.png)
wait_for 20 bash -c "import -window root '$shot' 2>/dev/null && [ \$(convert '$shot' -format '%k' info:) -gt 8 ]" \
  || fail "the screen shows nothing drawn"
rm -f "$shot"

run "$bin/wndctl.exe" minimize VardeloWndClass
wait_for 20 run "$bin/wndctl.exe" iconic VardeloWndClass || fail "could not minimise"
timeout 120 "$here/scripts/wine-exec" "$exe"; second=$?
[ "$second" = 0 ] || fail "the second copy exited with $second"
[ "$(count)" = 1 ] || fail "expected one main window, found $(count)"
wait_for 20 bash -c "! '$here/scripts/wine-exec' '$bin/wndctl.exe' iconic VardeloWndClass" \
  || fail "the first window was not restored"

run "$bin/wndctl.exe" close VardeloWndClass
wait $first; code=$?
[ "$code" = 0 ] || fail "the first copy exited with $code"
echo "single instance: ok"
