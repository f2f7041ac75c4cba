# Shared by the end-to-end scripts (sourced after setting here and bin): run a Windows program in
# the test prefix, count the main windows, fail with a message (closing Vardelo), and wait on a
# condition.
run() { "$here/scripts/wine-exec" "$@"; }
count() { run "$bin/wndctl.exe" count VardeloWndClass 2>/dev/null | tr -d '\r'; }
windows_are() { [ "$(count)" = "$1" ]; }
fail() { echo "FAIL: $*"; run "$bin/wndctl.exe" close VardeloWndClass >/dev/null 2>&1; exit 1; }
wait_for() {  # wait_for SECONDS COMMAND...: polls until the command succeeds
  local limit=$1; shift
  for _ in $(seq 1 $((limit * 10))); do "$@" && return 0; sleep 0.1; done
  return 1
}
