#!/usr/bin/env bash
# Installs what building, testing and running the dialer need on a fresh Debian 12
# machine, and only what is missing. Non-interactive; as root, or through sudo.
set -euo pipefail

packages=(
    cmake ninja-build g++                       # build
    qt6-base-dev qt6-base-dev-tools libgl-dev   # the Qt shell
    libgtest-dev libgmock-dev libbenchmark-dev  # tests and benchmarks
    fonts-liberation                            # Arial's metric twin for the face
    iproute2 util-linux                         # scripts/sealed-net (ip, unshare)
    xvfb xauth                                  # a window without a display
    xdotool imagemagick dbus-daemon             # the X tests: real input, screenshots,
    at-spi2-core python3-pyatspi                #   the accessibility tree
    python3
    clang libclang-rt-14-dev                    # fuzzing and sanitizer builds
    dpkg-dev desktop-file-utils man-db          # the Debian package and its install test
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "setup-debian: every package is installed"
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "setup-debian: missing ${missing[*]}; run as root or install sudo" >&2
        exit 1
    fi
    as_root=(sudo)
fi

echo "setup-debian: installing ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q -o Dpkg::Options::=--force-confold "${missing[@]}"
