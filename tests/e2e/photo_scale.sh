#!/usr/bin/env bash
# End to end: calibrated photos of the virtual microscope (400 pixels per mm, calibrated as 0.4
# pixels per µm, named "Tissue 40x"), taken by the media Wine test in a running main window,
# read back by ImageMagick: the physical pixel size of the view's JPEG and PNG, of the still at
# twice the size, and of a JPEG too fine for JFIF's 16-bit density, and the calibration's
# comment. With VARDELO_SHOT_DIR set (a Linux folder) the photos are kept there to look at.
set -u
bin=$1/bin
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine}
dir=$(mktemp -d)
fail() { echo "FAIL: $*"; rm -rf "$dir"; exit 1; }

VARDELO_KEEP_DIR=$(winepath -w "$dir" 2>/dev/null) "$here/scripts/wine-exec" "$bin/win_media_tests.exe" \
  --gtest_filter='PhotoScaleTest.PhotosRecord*' >"$dir/log" 2>&1 || { cat "$dir/log"; fail "the media test failed"; }
expect() {  # FILE "X Y UNITS" [COMMENT]
  [ -f "$dir/$1" ] || fail "no photo $1"
  local got; got=$(identify -format '%x %y %U' "$dir/$1" 2>/dev/null)
  [ "$got" = "$2" ] || fail "$1: expected '$2', ImageMagick reads '$got'"
  if [ -n "${3:-}" ]; then
    identify -format '%c' "$dir/$1" 2>/dev/null | grep -qF "$3" || fail "$1: no comment '$3'"
  fi
}
expect 20230322-142501-000.png "4000 4000 PixelsPerCentimeter" "Calibration: Tissue 40x, 2.5 "
expect 20230322-142501-001.jpg "4000 4000 PixelsPerCentimeter" "Calibration: Tissue 40x, 2.5 µm per pixel"
expect 20230322-142501-002.jpg "100000 100000 PixelsPerCentimeter" "0.1 µm per pixel"
expect 20230322-142502-000.png "4000 4000 PixelsPerCentimeter"
still=$(cd "$dir" && for f in *.png; do [ "$(identify -format '%w' "$f")" = 2560 ] && echo "$f"; done | head -1)
[ -n "$still" ] || fail "no still photo"
expect "$still" "8000 8000 PixelsPerCentimeter" "1.25 "
[ -n "${VARDELO_SHOT_DIR:-}" ] && cp "$dir"/*.png "$dir"/*.jpg "$VARDELO_SHOT_DIR"/
rm -rf "$dir"
echo "photo scale: ok"
