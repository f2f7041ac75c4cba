#!/usr/bin/env bash
# End to end: the display-scale checks (tests/win/scale) at 120, 144 and 192 dpi, in a prefix of
# their own whose desktop scale (LogPixels) is set before each run, kept under build/ between
# runs. The tests' prefix runs the same checks at 96 dpi.
set -uo pipefail
build=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")/../.." && pwd)
source "$here/scripts/lib.sh"
prefix=$here/build/wine-dpi
make_prefix "$prefix" >/dev/null
export WINEPREFIX=$prefix
finish() { wineserver -k 2>/dev/null; wineserver -w 2>/dev/null; }
trap finish EXIT
register_vcam "$prefix"
rc=0
for dpi in 120 144 192; do
  # The desktop's scale is read when the prefix's programs start: set it with none running.
  wineserver -k 2>/dev/null; wineserver -w 2>/dev/null
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d $dpi /f >/dev/null 2>&1 || exit 1
  wineserver -w
  out=$(wine "$build/bin/win_scale_tests.exe" --gtest_brief=1 2>&1 | tr -d '\r'); r=$?
  echo "$out"
  echo "$out" | grep -q "display scale: $dpi dpi" || { echo "FAIL: the prefix is not at $dpi dpi"; r=1; }
  [ $r -eq 0 ] || rc=1
done
exit $rc
