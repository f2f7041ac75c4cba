# Shared by the scripts: paths, the two build trees and the Wine prefixes.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

build_native() {
  cmake -S "$here" -B "$here/build/native" -DCMAKE_BUILD_TYPE=Debug -DVARDELO_SANITIZE=ON -DVARDELO_BENCH=OFF >/dev/null
  cmake --build "$here/build/native" -j"$jobs"
}

build_win() {  # build_win [--target T...]: everything unless targets are named
  cmake -S "$here" -B "$here/build/win" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_CROSSCOMPILING_EMULATOR="$here/scripts/wine-exec" >/dev/null
  cmake --build "$here/build/win" -j"$jobs" "$@"
}

# Creates a Wine prefix once: 64-bit, no Mono/Gecko, a virtual desktop so windows get a frame
# and maximise as on Windows, and a font that has Chinese glyphs linked to the UI faces.
make_prefix() {
  local prefix=$1
  export WINEPREFIX=$prefix
  if [ ! -f "$prefix/.vardelo-ready" ]; then
    echo "Creating the Wine prefix $prefix"
    mkdir -p "$prefix"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
    local reg=$(mktemp --suffix=.reg)
    cat > "$reg" <<'REG'
Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1366x768"
REG
    wine regedit /S "$reg" >/dev/null 2>&1 || true
    wineserver -w
    rm -f "$reg"
    touch "$prefix/.vardelo-ready"
  fi
  # Chinese glyphs. On Windows, font linking fills CJK into the UI faces. Here the faces the
  # program asks for ("Segoe UI", "Tahoma", "MS Shell Dlg") do not exist and Wine renders them
  # with the closest Linux family (Liberation Sans, or DejaVu Sans on some machines); Wine
  # follows FontLink\SystemLink by the face actually used (the family name for the regular
  # face, the full name such as "Liberation Sans Bold" for the others), so the links go on
  # those faces, pointing at Debian's fonts-wqy-microhei. Latin text keeps its face; the
  # program's requests are unchanged. (Links on "Segoe UI"/"Tahoma" are never consulted here.)
  if [ ! -f "$prefix/.vardelo-fonts-2" ]; then
    local key='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    local fam
    # A reg add can fail while the prefix's services are still starting: each link is read
    # back and added again until it is there, and the prefix is marked only when all are.
    local linked=1 try
    for fam in "Liberation Sans" "Liberation Sans Bold" "Liberation Sans Italic" "Liberation Sans Bold Italic" \
               "DejaVu Sans" "DejaVu Sans Bold"; do
      for try in 1 2 3 4 5; do
        wine reg add "$key" /v "$fam" /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1 || true
        wine reg query "$key" /v "$fam" 2>/dev/null | grep -q "wqy-microhei" && break
        [ "$try" = 5 ] && linked=0
        sleep 1
      done
    done
    wineserver -w
    if [ "$linked" = 1 ]; then touch "$prefix/.vardelo-fonts-2"; else echo "warning: Chinese font links not set in $prefix" >&2; fi
  fi
}

# Registers the virtual microscope DLL in a prefix when the build has it.
register_vcam() {
  local prefix=$1
  if [ -f "$here/build/win/bin/vcam.dll" ]; then
    WINEPREFIX=$prefix wine regsvr32 /s "$(winepath -w "$here/build/win/bin/vcam.dll" 2>/dev/null)" >/dev/null 2>&1 || true
  fi
}
