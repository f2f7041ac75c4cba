#!/usr/bin/env bash
# End to end: Vardelo imports no media-platform DLL, so systems without the media platform (N
# editions without the Media Feature Pack, servers) can load it; with the media platform
# disabled it starts, shows its window and ends with exit code 0 when closed.
set -u
bin=$1/bin
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/tests/e2e/lib/common.sh"

imports=$(x86_64-w64-mingw32-objdump -p "$bin/Vardelo.exe" | grep "DLL Name") || fail "cannot read the import table"
echo "$imports" | grep -qi "mfplat" && fail "Vardelo.exe imports the media platform: $imports"

WINEDLLOVERRIDES="mscoree,mshtml=;mfplat=d" run "$bin/Vardelo.exe" & first=$!
wait_for 60 windows_are 1 || fail "the main window did not appear without the media platform"
run "$bin/wndctl.exe" close VardeloWndClass
wait $first; code=$?
[ "$code" = 0 ] || fail "Vardelo exited with $code"
echo "no media platform: ok"
