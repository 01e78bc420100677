#!/usr/bin/env bash
# package.sh EXE OUTDIR
#
# Makes the Windows installer orvane-sip-dialer-<version>-setup.exe (NSIS) and
# orvane-sip-dialer-<version>-win64.zip (the .exe alone) in OUTDIR. The version is the
# project's (CMakeLists.txt).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
if [ $# -ne 2 ]; then
    sed -n '2,6p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
    exit 2
fi
exe="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
out="$2"
version="$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' "$root/CMakeLists.txt")"
[ -n "$version" ] || { echo "package: no project version in CMakeLists.txt" >&2; exit 1; }
mkdir -p "$out"
out="$(cd "$out" && pwd)"
setup="$out/orvane-sip-dialer-$version-setup.exe"
zip="$out/orvane-sip-dialer-$version-win64.zip"

makensis -V2 -DVERSION="$version" -DEXE="$exe" -DOUTFILE="$setup" "$here/installer.nsi"

# The zip holds the program under its own name, with the time stamps of the build.
rm -f "$zip"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
cp -p "$exe" "$stage/orvane-dialer.exe"
(cd "$stage" && zip -q -X "$zip" orvane-dialer.exe)
echo "package: $setup ($(stat -c %s "$setup") bytes)"
echo "package: $zip ($(stat -c %s "$zip") bytes)"
