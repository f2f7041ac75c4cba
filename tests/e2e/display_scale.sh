#!/usr/bin/env bash
# End to end: the display-scale checks (tests/win/scale) at 144 dpi, in a prefix of their own
# whose desktop is set to 144 dpi (LogPixels), kept under build/ between runs. The tests'
# prefix runs the same checks at 96 dpi.
set -u
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/scripts/lib.sh"
dpi=144
prefix=$here/build/wine-dpi$dpi
make_prefix "$prefix" >/dev/null
export WINEPREFIX=$prefix
finish() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
trap finish EXIT
if [ ! -f "$prefix/.vardelo-dpi" ]; then
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1 || exit 1
  wineserver -w
  touch "$prefix/.vardelo-dpi"
fi
register_vcam "$prefix"
out=$(wine "$build/bin/win_scale_tests.exe" --gtest_brief=1 2>&1 | tr -d '\r'); rc=$?
echo "$out"
echo "$out" | grep -q "display scale: $dpi dpi" || { echo "FAIL: the prefix is not at $dpi dpi"; exit 1; }
exit $rc
