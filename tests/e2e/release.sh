#!/usr/bin/env bash
# End to end: what scripts/package made for Windows users (build/dist), under Wine.
# - The import check refuses an exe that needs a DLL Windows does not bring.
# - The portable zip's exe starts from any folder; while it runs, setup refuses to install, and
#   so it does while a copy without a window (finishing a video) holds the program's mark.
# - Silent setup puts the exe, readme, licences and uninstaller in the user's local programs
#   folder, the shortcut in the Start menu and the version in the installed-programs list; the
#   installed exe starts (the single-instance test run against it).
# - Silent uninstall removes all of that and leaves the user's settings and files alone.
# - Every copy of the exe, and setup, carries the build's version in its version resource.
set -u
build=$(cd "$1" && pwd)
bin=$build/bin
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine}  # the prefix wine-exec runs in, for winepath
# Wine would mirror the Start-menu shortcut into the Linux desktop's menus.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
source "$here/tests/e2e/lib/common.sh"
folder() { winepath -u "$(run cmd /c echo "%$1%" | tr -d '\r')" 2>/dev/null; }  # folder LOCALAPPDATA
none_exist() { local f; for f in "$@"; do [ ! -e "$f" ] || return 1; done; }
reg_value() { run reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
dist=$(dirname "$build")/dist
setup=$dist/Vardelo-$version-setup.exe
zip=$dist/Vardelo-$version-portable.zip
[ -f "$setup" ] && [ -f "$zip" ] || fail "no package of version '$version' in $dist: run scripts/package"

# Version resource of one copy: fixed and text versions equal the build's.
check_version() {
  local info; info=$(run "$bin/verinfo.exe" "$1" | tr -d '\r')
  local expected
  for expected in "FixedFileVersion=$version.0" "FixedProductVersion=$version.0" "FileVersion=$version" \
                  "ProductVersion=$version" "ProductName=Vardelo"; do
    grep -qx "$expected" <<<"$info" || fail "$1: no $expected in its version resource: $info"
  done
}

check_version "$setup"

# Import check: the real exe passes, one importing the virtual microscope's DLL does not.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo 'int __declspec(dllimport) DllCanUnloadNow(void); int main(void) { return DllCanUnloadNow(); }' |
  x86_64-w64-mingw32-gcc-posix -x c - -x none "$bin/vcam.dll" -o "$work/foreign.exe" || fail "could not link the foreign-DLL exe"
bash "$here/scripts/release/check-imports" "$bin/Vardelo.exe" || fail "Vardelo.exe refused"
bash "$here/scripts/release/check-imports" "$work/foreign.exe" 2>/dev/null && fail "an exe importing vcam.dll passed"

# Portable: unpacked into a folder of an odd name, it starts and carries the version.
portable="$work/USB stick 显微镜"
mkdir -p "$portable" && (cd "$portable" && cmake -E tar xf "$zip") || fail "could not unpack $zip"
portable_exe="$portable/Vardelo-$version/Vardelo.exe"
check_version "$portable_exe"
run "$portable_exe" & first=$!
wait_for 60 bash -c "[ \"\$('$here/scripts/wine-exec' '$bin/wndctl.exe' count VardeloWndClass | tr -d '\r')\" = 1 ]" \
  || fail "the portable exe showed no window"

local_appdata=$(folder LOCALAPPDATA); appdata=$(folder APPDATA); profile=$(folder USERPROFILE)
[ -d "$local_appdata" ] && [ -d "$appdata" ] && [ -d "$profile" ] || fail "could not find the user's folders in the prefix"
inst=$local_appdata/Programs/Vardelo
menu="$appdata/Microsoft/Windows/Start Menu/Programs"
# Left by an earlier, interrupted run.
rm -rf "$inst"; rm -f "$menu/Vardelo.lnk"; run reg delete 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vardelo' /f >/dev/null 2>&1

run "$setup" /S; rc=$?
[ "$rc" = 2 ] || fail "setup gave $rc instead of 2 while Vardelo was running"
[ -e "$inst/Vardelo.exe" ] && fail "setup installed while Vardelo was running"
run "$bin/wndctl.exe" close VardeloWndClass
wait $first; rc=$?
[ "$rc" = 0 ] || fail "the portable exe exited with $rc"
run "$bin/wndctl.exe" hold 'Global\QuenzoLumiscan' > "$work/hold.out" & holder=$!
wait_for 60 grep -q held "$work/hold.out" || fail "could not hold the program's mark"
run "$setup" /S; rc=$?
run "$bin/wndctl.exe" release; wait $holder
[ "$rc" = 2 ] || fail "setup gave $rc instead of 2 while a copy without a window ran"
[ -e "$inst/Vardelo.exe" ] && fail "setup installed while a copy without a window ran"

# Install.
run "$setup" /S; rc=$?
[ "$rc" = 0 ] || fail "silent setup exited with $rc"
installed=("$inst/Vardelo.exe" "$inst/README.txt" "$inst/Uninstall.exe" "$menu/Vardelo.lnk")
for f in "$build"/licenses/*.txt; do installed+=("$inst/licenses/$(basename "$f")"); done
for f in "${installed[@]}"; do [ -s "$f" ] || fail "setup did not install $f"; done
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vardelo'
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "installed-programs entry lacks version $version"
[ -n "$(reg_value "$uninstall_key" UninstallString)" ] || fail "installed-programs entry has no uninstaller"
check_version "$inst/Vardelo.exe"
bash "$here/tests/e2e/single_instance.sh" "$build" "$inst/Vardelo.exe" || fail "the installed exe did not pass the start-up test"

# What belongs to the user: settings, a saved photo, a file they put into the program folder.
settings='HKCU\Software\Vardelo'
photos="$profile/Documents/Vardelo Files"
mkdir -p "$photos" && echo photo > "$photos/release-test.jpg"
echo notes > "$inst/my notes.txt"
run reg add "$settings" /v ReleaseTest /t REG_SZ /d kept /f >/dev/null
trap 'rm -rf "$work" "$photos/release-test.jpg" "$inst"; rmdir "$photos" 2>/dev/null; run reg delete "$settings" /v ReleaseTest /f >/dev/null 2>&1' EXIT

# Uninstall: it runs from a copy of itself, so wait for it to finish.
run "$inst/Uninstall.exe" /S || fail "silent uninstall failed to start"
wait_for 60 none_exist "${installed[@]}" || fail "uninstall left $(ls -R "$inst" "$menu/Vardelo.lnk" 2>&1 | tr '\n' ' ')"
wait_for 20 bash -c "! '$here/scripts/wine-exec' reg query '$uninstall_key' >/dev/null 2>&1" \
  || fail "uninstall left the installed-programs entry"
[ "$(reg_value "$settings" ReleaseTest)" = kept ] || fail "uninstall removed the user's settings"
[ -f "$photos/release-test.jpg" ] || fail "uninstall removed a saved photo"
[ -f "$inst/my notes.txt" ] || fail "uninstall removed a file the user put into the program folder"
echo "release: ok"
