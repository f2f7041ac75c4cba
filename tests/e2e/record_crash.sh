#!/usr/bin/env bash
# End to end: a recording cut short by the end of the process (TerminateProcess: no chance to
# clean up) is rebuilt at the next start. Before the start the file has no headers; after
# it ffprobe reads it, ffmpeg decodes every frame without an error, it holds the frames written
# before the kill (within a second of them) and LatestFiles names it first. At the same start a
# journal whose video is gone is removed, and one beside a file that is no recording leaves that
# file as it was. With VARDELO_SHOT_DIR set (a Linux folder) the screen with the toast is kept.
set -u
bin=$1/bin
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine}
source "$here/tests/e2e/lib/common.sh"
cam="Crash E2E Scope"
key='HKCU\Software\Vardelo'
dir=$(mktemp -d)
wdir=$(winepath -w "$dir" 2>/dev/null)
first=""
frame=$((640 * 480 * 3 + 8))  # one uncompressed frame's chunk

cleanup() {
  [ -n "$first" ] && { run "$bin/wndctl.exe" close VardeloWndClass >/dev/null 2>&1; wait "$first" 2>/dev/null; }
  run "$bin/vcamctl.exe" remove "$cam" >/dev/null 2>&1
  for v in ImgDir LatestFiles MaxRecordTime CompressVideo; do run reg delete "$key" /v $v /f >/dev/null 2>&1; done
  rm -rf "$dir"
}
fail() { echo "FAIL: $*"; cleanup; exit 1; }
dialogs() { run "$bin/wndctl.exe" count '#32770' 2>/dev/null | tr -d '\r'; }
video() { find "$dir" -maxdepth 1 -name '*.avi' ! -name 'junk.avi' | head -1; }
size_of() { stat -c %s "$1" 2>/dev/null || echo 0; }
stored_list() { run reg query "$key" /v LatestFiles 2>/dev/null | tr -d '\r' | sed -n 's/.*REG_SZ *//p'; }
# The record command opens its dialog once the camera shows a picture: asked for until it is there.
open_dialog() {
  [ "$(dialogs)" -ge 1 ] && return 0
  run "$bin/wndctl.exe" command VardeloWndClass 3009 >/dev/null 2>&1
  sleep 2
  [ "$(dialogs)" -ge 1 ]
}
recorded_enough() { local v; v=$(video); [ -n "$v" ] && [ "$(size_of "$v")" -gt $((90 * frame)) ]; }

run "$bin/vcamctl.exe" add "$cam" --formats "YUY2 640x480" >/dev/null || fail "no camera"
run reg add "$key" /v ImgDir /t REG_SZ /d "$wdir" /f >/dev/null 2>&1
run reg add "$key" /v MaxRecordTime /t REG_DWORD /d 0 /f >/dev/null 2>&1  # no time limit
run reg add "$key" /v CompressVideo /t REG_DWORD /d 0 /f >/dev/null 2>&1  # frames of a known size
run reg delete "$key" /v LatestFiles /f >/dev/null 2>&1

run "$bin/Vardelo.exe" & first=$!
wait_for 90 open_dialog || fail "the record dialog did not open"
run "$bin/wndctl.exe" command '#32770' 1 >/dev/null 2>&1 || fail "Start not pressed"
wait_for 90 recorded_enough || fail "nothing recorded ($(video): $(size_of "$(video)") bytes)"
run "$bin/wndctl.exe" kill VardeloWndClass || fail "the process could not be ended"
wait "$first" 2>/dev/null; first=""
avi=$(video)
written=$(( $(size_of "$avi") / frame ))  # frames on disk at the kill (at most)
[ -f "$avi.rec" ] || fail "no journal beside the video being recorded"
cmp -s -n 4 "$avi" <(printf RIFF) && fail "the cut-short file has its headers already: nothing to test"

# Two journals of other kinds, found at the same start.
cp "$avi.rec" "$dir/gone.avi.rec"
head -c 200000 /dev/urandom > "$dir/junk.avi"
cp "$avi.rec" "$dir/junk.avi.rec"
junk_sum=$(md5sum < "$dir/junk.avi")

run "$bin/Vardelo.exe" & first=$!
listed_first() { case "$(stored_list)" in "$wdir\\$(basename "$avi");"*) return 0;; esac; return 1; }
wait_for 90 bash -c "[ ! -e '$avi.rec' ]" || fail "the journal is still there"
wait_for 30 listed_first || fail "LatestFiles is '$(stored_list)'"
[ -n "${VARDELO_SHOT_DIR:-}" ] && import -window root "$VARDELO_SHOT_DIR/recovered_toast.png"
wait_for 30 bash -c "[ ! -e '$dir/gone.avi.rec' ] && [ ! -e '$dir/junk.avi.rec' ]" || fail "leftover journals"
[ "$(md5sum < "$dir/junk.avi")" = "$junk_sum" ] || fail "a file that is no recording was changed"
run "$bin/wndctl.exe" close VardeloWndClass >/dev/null 2>&1
wait "$first"; code=$?; first=""
[ "$code" = 0 ] || fail "Vardelo exited with $code"

probe=$(ffprobe -v error -count_frames -show_entries stream=codec_name,width,height,nb_read_frames -of default=nw=1 "$avi" 2>&1)
frames=$(echo "$probe" | sed -n 's/^nb_read_frames=//p')
case "$probe" in *codec_name=rawvideo*width=640*height=480*) ;; *) fail "ffprobe reads: $probe";; esac
[ -n "$frames" ] && [ "$frames" -le "$written" ] && [ "$frames" -ge $((written - 30)) ] \
  || fail "$frames frames recovered of the $written on disk"
errors=$(ffmpeg -nostdin -v error -i "$avi" -f null - 2>&1)
[ -z "$errors" ] || fail "ffmpeg: $errors"
cleanup
echo "recording after a crash: $frames of $written frames recovered"
