#!/usr/bin/env bash
# build-windows.sh [--no-setup] [--no-package] [CMAKE-CONFIGURE-ARGS...]
#
# Builds the Windows program on Debian: orvane-dialer.exe (one statically linked file),
# its tests, the installer orvane-sip-dialer-<version>-setup.exe and a zip of the .exe,
# all into build-win/ (the installer and the zip into build-win/dist/).
#   --no-setup    do not install the cross compiler, Wine and NSIS through apt
#   --no-package  build the program and its tests only
# The skin's pictures are drawn by the Linux build's orvane-skin-bake (in build-win/host).
# With CI=true warnings are errors. Run the tests with scripts/test-windows.sh.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
setup=1
package=1
args=()
for arg in "$@"; do
    case "$arg" in
    -h | --help) sed -n '2,11p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
    --no-setup) setup=0 ;;
    --no-package) package=0 ;;
    *) args+=("$arg") ;;
    esac
done

if [ "$setup" = 1 ]; then
    need=(g++-mingw-w64-x86-64-posix wine wine64 nsis zip googletest cmake ninja-build g++
          qt6-base-dev xvfb xauth xdotool imagemagick)
    missing=()
    for p in "${need[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        sudo_cmd=()
        [ "$(id -u)" = 0 ] || sudo_cmd=(sudo)
        "${sudo_cmd[@]}" apt-get update
        DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y \
            --no-install-recommends "${missing[@]}"
    fi
fi

out="$root/build-win"
jobs="$(nproc)"
launcher=()
if command -v ccache >/dev/null 2>&1; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
fi

# The skin's pictures, drawn on this machine by the Linux build's own tool, and the
# emulated phones the end-to-end test talks to.
cmake -S "$root" -B "$out/host" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCHMARKS=OFF -DORVANE_BUILD_PHONESIM=ON \
    -DORVANE_BUILD_DEMO=OFF "${launcher[@]}" >/dev/null
cmake --build "$out/host" -j"$jobs" --target src/qt/SkinBaked.cpp orvane-phonesim

configure=(-S "$root" -B "$out/win" -G Ninja -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake"
    -DORVANE_BUILD_QT=OFF -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCHMARKS=OFF
    -DORVANE_BUILD_PHONESIM=OFF -DORVANE_BUILD_DEMO=OFF
    -DORVANE_SKIN_BAKED="$out/host/src/qt/SkinBaked.cpp"
    -DORVANE_HOST_PHONESIM="$out/host/src/phonesim/orvane-phonesim" "${launcher[@]}")
if [ "${CI:-}" = true ]; then
    configure+=(-DORVANE_WERROR=ON)
fi
cmake "${configure[@]}" "${args[@]}"
cmake --build "$out/win" -j"$jobs"

exe="$out/win/src/win/orvane-dialer.exe"
echo "build-windows: $exe ($(stat -c %s "$exe") bytes)"
if [ "$package" = 1 ]; then
    "$root/packaging/windows/package.sh" "$exe" "$out/dist"
fi
