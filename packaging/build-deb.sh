#!/usr/bin/env bash
# build-deb.sh [OUT_DIR]
#
# Builds the Debian packages orvane-sip-dialer and orvane-phonesim (and their -dbgsym
# packages) from debian/ with dpkg-buildpackage, in a scratch copy of the tree, and puts
# the .deb files, the .buildinfo and the .changes into OUT_DIR (default out/deb at the
# top of the tree). Needs the build dependencies of debian/control: as root,
# scripts/setup-debian.sh --for package installs them.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${1:-}" in
-h | --help)
    sed -n '2,8p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
-*)
    echo "build-deb: unknown option '$1' (see build-deb.sh --help)" >&2
    exit 2
    ;;
esac
out="$(realpath -m "${1:-$root/out/deb}")"

for tool in dpkg-buildpackage dpkg-checkbuilddeps; do
    if ! command -v "$tool" >/dev/null 2>&1; then
        echo "build-deb: '$tool' is missing; install dpkg-dev (scripts/setup-debian.sh --for package)" >&2
        exit 1
    fi
done
if ! unmet="$(cd "$root" && dpkg-checkbuilddeps 2>&1)"; then
    echo "${unmet#dpkg-checkbuilddeps: error: }" >&2
    echo "build-deb: scripts/setup-debian.sh --for package installs them" >&2
    exit 1
fi

# dpkg-buildpackage writes its packages next to the source tree and its build files into
# debian/: a copy keeps both out of the checkout. Build trees and outputs stay behind.
scratch="$(mktemp -d "${TMPDIR:-/tmp}/orvane-deb.XXXXXX")"
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/src"
tar -C "$root" --exclude=./.git --exclude='./build*' --exclude=./out \
    --exclude='./obj-*' --exclude=./debian/.debhelper --exclude=./face-screenshots \
    -cf - . | tar -C "$scratch/src" -xf -

echo "build-deb: building in $scratch/src"
(cd "$scratch/src" && dpkg-buildpackage -b -us -uc -J"$(nproc)")

mkdir -p "$out"
shopt -s nullglob
made=("$scratch"/*.deb "$scratch"/*.ddeb "$scratch"/*.buildinfo "$scratch"/*.changes)
if [ ${#made[@]} -eq 0 ]; then
    echo "build-deb: dpkg-buildpackage made no package" >&2
    exit 1
fi
# Packages of an earlier version would be taken for this build's.
rm -f "$out"/orvane-*.deb "$out"/orvane-*.ddeb "$out"/orvane-sip-dialer_*.buildinfo \
    "$out"/orvane-sip-dialer_*.changes
cp "${made[@]}" "$out/"
for f in "${made[@]}"; do
    echo "build-deb: $out/$(basename "$f")"
done
