#!/usr/bin/env bash
# End to end with an analysis program: the TIFF photos and measurement table of the media Wine
# test (PhotoScaleTest.TiffPhotos*) opened by ImageJ, headless. Calibrated at 0.5 pixels per µm
# a photo opens with pixels of 2 µm, in mm with 0.002 mm, uncalibrated with no scale, a 640 x 480
# camera stretched to 1920 x 1080 with 0.667 x 0.889 µm (each within 1e-4); the table's Length,
# Area and Angle read back as the line, circle and angle drawn. ImageMagick reads the µm photos'
# compression and resolution.
set -u
bin=$1/bin
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine}
dir=$(mktemp -d)
fail() { echo "FAIL: $*"; rm -rf "$dir"; exit 1; }
command -v imagej >/dev/null || fail "ImageJ is not installed (scripts/bootstrap installs it)"
VARDELO_KEEP_DIR=$(winepath -w "$dir" 2>/dev/null) "$here/scripts/wine-exec" "$bin/win_media_tests.exe" \
  --gtest_filter='PhotoScaleTest.TiffPhotos*' >"$dir/log" 2>&1 || { cat "$dir/log"; fail "the media test failed"; }
photo="$dir/20230322-142501-00"  # 0 µm, 1 mm, 2 none, 3 stretched

for i in 0 1 2 3; do echo "identify ${photo##*/}$i.tif: $(identify -format '%m %w x %h, %C, %x %y %U' "$photo$i.tif")"; done
for want in "0 LZW 5000 5000 PixelsPerCentimeter" "3 LZW 15000 11250 PixelsPerCentimeter"; do
  got=$(identify -format '%C %x %y %U' "$photo${want%% *}.tif")
  [ "$got" = "${want#* }" ] || fail "photo ${want%% *}: ImageMagick reads '$got', expected '${want#* }'"
done

cat >"$dir/check.ijm" <<MACRO
for (i = 0; i < 4; i++) {
  open("$photo" + i + ".tif");
  getPixelSize(unit, pw, ph);
  print("size " + i + " " + unit + " " + d2s(pw, 9) + " " + d2s(ph, 9));
  close();
}
Table.open("${photo}0.csv");
for (i = 0; i < Table.size; i++)
  print("row " + replace(Table.getString("Label", i), " ", "_") + " " + Table.getString("Unit", i) + " " +
        d2s(Table.get("Length", i), 5) + " " + d2s(Table.get("Area", i), 5) + " " + d2s(Table.get("Angle", i), 5));
MACRO
run_imagej() {
  if [ -n "${DISPLAY:-}" ]; then imagej -b "$dir/check.ijm"; else xvfb-run -a imagej -b "$dir/check.ijm"; fi \
    >"$dir/imagej.log" 2>&1
  grep -E '^(size|row) ' "$dir/imagej.log" >"$dir/imagej.txt"
}
# ImageJ on a loaded machine once printed the sizes and no table rows at all; a run that prints
# no rows is tried once more (wrong rows fail at once), and its own output is shown.
run_imagej
if ! grep -q '^row ' "$dir/imagej.txt"; then
  echo "ImageJ printed no table rows; its output:"; tail -20 "$dir/imagej.log"
  run_imagej
fi
sed 's/^/ImageJ: /' "$dir/imagej.txt"
# Expected: kind, key, unit (alternatives), then figures within 1e-4 relative (NaN: empty cell).
awk 'NR == FNR { want[$1 " " $2] = $0; next }
     function off(a, b) { return a == "NaN" || b == "NaN" ? a != b : (a - b) / b > 1e-4 || (b - a) / b > 1e-4 }
     ($1 " " $2) in want { line = want[$1 " " $2]; split(line, w); delete want[$1 " " $2]
       bad = ("|" w[3] "|") !~ ("\\|" $3 "\\|")
       for (i = 4; i <= NF; i++) bad = bad || off($i, w[i])
       if (bad) { print "FAIL: ImageJ reads \"" $0 "\", expected \"" line "\""; failed = 1 } }
     END { for (k in want) { print "FAIL: ImageJ gave nothing for " k; failed = 1 } exit failed }' - "$dir/imagej.txt" <<'WANT' || fail "ImageJ"
size 0 µm|microns 2 2
size 1 mm 0.002 0.002
size 2 pixels|pixel 1 1
size 3 µm|microns 0.666666667 0.888888889
row Line_1 µm 680 NaN NaN
row Circle_2 µm NaN 31415.9265 NaN
row Angle_3 µm NaN NaN 45
WANT
rm -rf "$dir"
echo "tiff results: ok"
