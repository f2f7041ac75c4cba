# Shared by scripts/latency and scripts/e2e-cost (sourced after lib.sh): an X server of their own,
# a Wine prefix of their own with one virtual microscope that serves prepared frames and traces
# each hand-over, and Vardelo run with its frame trace for a given time.
prefix=$here/build/measure-prefix
bin=$here/build/win/bin
work=$here/build/measure
camera="Vardelo Measuring Microscope"

# start_x: an Xvfb on a free display, 1366 x 768 like the test prefixes' desktop; sets DISPLAY
# and x_pid. stop_x ends it (and the prefix's wineserver).
start_x() {
  local n
  for n in $(seq 140 199); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1366x768x24 -nolisten tcp >/dev/null 2>&1 &
    x_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do
      [ -S "/tmp/.X11-unix/X$n" ] && return 0
      kill -0 "$x_pid" 2>/dev/null || break  # another server took the display meanwhile
      sleep 0.1
    done
    kill "$x_pid" 2>/dev/null || true
  done
  echo "no X display could be started" >&2
  return 1
}
stop_x() {
  WINEPREFIX=$prefix wineserver -k 2>/dev/null || true
  [ -n "${x_pid:-}" ] && kill "$x_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}

# prepare: installs what is missing and builds (unless MEASURE_BUILT is set: the end-to-end
# test runs the scripts on the build it tests), makes the prefix, starts the X server and the
# prefix's wineserver.
prepare() {
  if [ -z "${MEASURE_BUILT:-}" ]; then
    bash "$here/scripts/bootstrap"
    build_win >/dev/null
  fi
  make_prefix "$prefix"
  export WINEPREFIX=$prefix
  wineserver -k 2>/dev/null || true
  wineserver -w 2>/dev/null || true
  start_x
  trap stop_x EXIT
  wineserver -p
  wine wineboot >/dev/null 2>&1
  register_vcam "$prefix"
  rm -rf "$work"
  mkdir -p "$work"
}

# use_camera FORMAT [vcamctl options...]: the prefix's only camera, with that one format, 30
# frames a second, 30 prepared frames, the trace in $work/camera.trace.
use_camera() {
  local format=$1; shift
  local name
  wine "$bin/vcamctl.exe" list 2>/dev/null | tr -d '\r' | cut -f1 | while IFS= read -r name; do
    [ -n "$name" ] && wine "$bin/vcamctl.exe" remove "$name" >/dev/null 2>&1 || true
  done
  rm -f "$work/camera.trace"
  wine "$bin/vcamctl.exe" add "$camera" --formats "$format" --fps 30 --no-still --pre-encoded 30 \
    --trace "$(winepath -w "$work/camera.trace")" "$@" >/dev/null
}

# start_vardelo: Vardelo (the build's, or the exe VARDELO_EXE names, to compare builds) with its
# trace in $work/vardelo.trace; vardelo_pid is its process. close_vardelo asks it to close and
# waits for it.
start_vardelo() {
  rm -f "$work/vardelo.trace"
  VARDELO_TRACE=$(winepath -w "$work/vardelo.trace") wine "${VARDELO_EXE:-$bin/Vardelo.exe}" >/dev/null 2>&1 &
  vardelo_pid=$!
}
close_vardelo() {
  wine "$bin/wndctl.exe" close VardeloWndClass >/dev/null 2>&1 || true
  for _ in $(seq 1 100); do kill -0 "$vardelo_pid" 2>/dev/null || break; sleep 0.1; done
  wait "$vardelo_pid" 2>/dev/null || true
}

# cpu_ticks PID: user + system time of a process so far, in clock ticks.
cpu_ticks() { if [ -n "${1:-}" ] && [ -r "/proc/$1/stat" ]; then awk '{print $14 + $15}' "/proc/$1/stat"; else echo 0; fi; }
