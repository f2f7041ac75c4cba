#!/usr/bin/env bash
# End to end: in a running Vardelo the photo button and the camera's still button write files
# that ImageMagick reads with the view's size and with the still's own size, JPEG by default
# and PNG with jpgPng 1; afterwards LatestFiles names the newest photo first. The camera streams
# 642 x 480 (rows that are no whole words) and delivers 1282 x 962 stills. With
# VARDELO_SHOT_DIR set (a Linux folder) the screen with the toast is kept there as a PNG.
set -u
bin=$1/bin
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine}
source "$here/tests/e2e/lib/common.sh"
cam="Photo E2E Scope"
key='HKCU\Software\Vardelo'
dir=$(mktemp -d)
wdir=$(winepath -w "$dir" 2>/dev/null)
first=""

cleanup() {
  [ -n "$first" ] && { run "$bin/wndctl.exe" close VardeloWndClass >/dev/null 2>&1; wait "$first" 2>/dev/null; }
  run "$bin/vcamctl.exe" remove "$cam" >/dev/null 2>&1
  for v in ImgDir jpgPng Language LatestFiles; do run reg delete "$key" /v $v /f >/dev/null 2>&1; done
  rm -rf "$dir"
}
fail() { echo "FAIL: $*"; cleanup; exit 1; }
photos() { find "$dir" -maxdepth 1 -type f \( -name '*.jpg' -o -name '*.png' \) | sort; }
count_is_more() { [ "$(photos | wc -l)" -gt "$1" ]; }
press_photo() { run "$bin/wndctl.exe" command VardeloWndClass 3008 >/dev/null 2>&1; wait_for 1 count_is_more 0; }
expect_picture() {  # FILE FORMAT WIDTH HEIGHT
  local got; got=$(identify -format '%m %w %h' "$1" 2>/dev/null)
  [ "$got" = "$2 $3 $4" ] || fail "$(basename "$1"): expected $2 $3 x $4, ImageMagick reads '$got'"
}
stored_list() { run reg query "$key" /v LatestFiles 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
listed_first() {  # FILE: LatestFiles starts with its Windows path
  case "$(stored_list)" in "$wdir\\$(basename "$1");"*) return 0;; esac
  return 1
}

run "$bin/vcamctl.exe" add "$cam" --formats "YUY2 642x480" --still-size 1282x962 >/dev/null || fail "no camera"
for lang in en zh; do
  if [ $lang = en ]; then fmt=JPEG; png=0; language=0; else fmt=PNG; png=1; language=1; fi
  rm -rf "${dir:?}"/*
  run reg add "$key" /v ImgDir /t REG_SZ /d "$wdir" /f >/dev/null 2>&1
  run reg add "$key" /v jpgPng /t REG_DWORD /d $png /f >/dev/null 2>&1
  run reg add "$key" /v Language /t REG_DWORD /d $language /f >/dev/null 2>&1
  run "$bin/Vardelo.exe" & first=$!
  # The photo button does nothing until the camera shows a picture: pressed until a file appears.
  wait_for 60 press_photo || fail "no photo from the photo button ($lang)"
  [ -n "${VARDELO_SHOT_DIR:-}" ] && import -window root "$VARDELO_SHOT_DIR/photo_toast_$lang.png"
  photo=$(photos | head -1)
  expect_picture "$photo" $fmt 642 480
  listed_first "$photo" || fail "LatestFiles is '$(stored_list)'"
  n=$(photos | wc -l)
  run "$bin/vcamctl.exe" still "$cam" >/dev/null || fail "still button"
  wait_for 30 count_is_more "$n" || fail "no photo from the still button ($lang)"
  still=$(photos | tail -1)
  expect_picture "$still" $fmt 1282 962
  wait_for 10 listed_first "$still" || fail "LatestFiles is '$(stored_list)'"
  run "$bin/wndctl.exe" close VardeloWndClass >/dev/null 2>&1
  wait $first; code=$?; first=""
  [ "$code" = 0 ] || fail "Vardelo exited with $code"
done
cleanup
echo "photo files: ok"
