#!/usr/bin/env bash
# End to end: a signed release. With a self-signed code-signing certificate made here, the
# packaging signs Vardelo.exe (also the one in the zip), the setup and the uninstaller that setup
# writes, each verified with osslsigncode; setup still installs and uninstalls silently. The
# packages of a build without a certificate (build/dist) carry no signature.
set -u
build=$(cd "$1" && pwd)
bin=$build/bin
here=$(cd "$(dirname "$0")/../.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wine}
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe="
source "$here/tests/e2e/lib/common.sh"
verified() { osslsigncode verify -CAfile "$work/cert.pem" -in "$1" >"$work/verify.log" 2>&1; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
unsigned=$(dirname "$build")/dist/Vardelo-$version-setup.exe
[ -f "$unsigned" ] || fail "no package of version '$version': run scripts/package"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
verified "$unsigned" && fail "the package made without a certificate is signed"

openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/key.pem" -out "$work/cert.pem" -days 2 \
  -subj "/CN=Vardelo Test Signing" -addext "extendedKeyUsage=codeSigning" -addext "keyUsage=digitalSignature" \
  >/dev/null 2>&1 || fail "could not make a certificate"
openssl pkcs12 -export -inkey "$work/key.pem" -in "$work/cert.pem" -out "$work/cert.p12" -passout pass:test-pass \
  || fail "could not make the PKCS#12 file"
VARDELO_DIST="$work/dist" VARDELO_SIGN_CERT="$work/cert.p12" VARDELO_SIGN_PASSWORD=test-pass \
  bash "$here/scripts/package" --no-build >/dev/null || fail "signed packaging failed"

dist=$work/dist
setup=$dist/Vardelo-$version-setup.exe
mkdir -p "$work/zip" && (cd "$work/zip" && cmake -E tar xf "$dist/Vardelo-$version-portable.zip") || fail "could not unpack the zip"
for f in "$dist/Vardelo-$version/Vardelo.exe" "$work/zip/Vardelo-$version/Vardelo.exe" "$setup"; do
  verified "$f" || fail "$f: signature not verified: $(tail -5 "$work/verify.log")"
done

# The uninstaller is made when the setup is built: the one setup writes carries the signature.
inst=$work/installed
run "$setup" /S "/D=$(winepath -w "$inst")"; rc=$?
[ "$rc" = 0 ] || fail "signed setup exited with $rc"
verified "$inst/Uninstall.exe" || fail "the uninstaller is not signed: $(tail -5 "$work/verify.log")"
verified "$inst/Vardelo.exe" || fail "the installed Vardelo.exe is not signed"
run "$inst/Uninstall.exe" /S || fail "silent uninstall failed to start"
wait_for 60 bash -c "[ ! -e '$inst/Uninstall.exe' ]" || fail "uninstall left $inst"
echo "signing: ok"
