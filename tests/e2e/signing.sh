#!/usr/bin/env bash
# End to end: a signed release. With a self-signed code-signing certificate made here, packaging
# signs Vardelo.exe (the zip's too), the setup and the uninstaller setup writes, each verified by
# osslsigncode; the signed setup installs and uninstalls. Packages made without one are unsigned.
set -u
build=$(cd "$1" && pwd)
bin=$build/bin
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine} WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
source "$here/tests/e2e/lib/common.sh"
verified() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1 || fail "$1: $(tail -3 "$work/verify.log")"; }
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
osslsigncode verify -in "$(dirname "$build")/dist/Vardelo-$version-setup.exe" >/dev/null 2>&1 && fail "build/dist is signed"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 -subj "/CN=Vardelo Test" \
  -addext "extendedKeyUsage=codeSigning" >/dev/null 2>&1 || fail "could not make a certificate"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" -passout pass:test-pass || fail "no .p12"
VARDELO_DIST="$work/dist" VARDELO_SIGN_CERT="$work/cert.p12" VARDELO_SIGN_PASSWORD=test-pass \
  bash "$here/scripts/package" --no-build >/dev/null || fail "signed packaging failed"
mkdir -p "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$work/dist/Vardelo-$version-portable.zip") || fail "no zip"
setup=$work/dist/Vardelo-$version-setup.exe
for f in "$work/dist/Vardelo-$version/Vardelo.exe" "$work/zip/Vardelo-$version/Vardelo.exe" "$setup"; do verified "$f"; done

run "$setup" /S "/D=$(winepath -w "$work/installed")" || fail "the signed setup failed"
verified "$work/installed/Uninstall.exe"
run "$work/installed/Uninstall.exe" /S || fail "silent uninstall failed to start"
wait_for 60 bash -c "[ ! -e '$work/installed/Uninstall.exe' ]" || fail "uninstall left $work/installed"
echo "signing: ok"
