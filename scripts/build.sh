#!/usr/bin/env bash
# build.sh [CMAKE-CONFIGURE-ARGS...]
#
# Configures and builds everything into build/ (Ninja, RelWithDebInfo, one job per core).
# Arguments go to the configure step, e.g. scripts/build.sh -DORVANE_BUILD_TESTS=OFF.
# With CI=true warnings are errors.
set -euo pipefail

case "${1:-}" in
-h | --help)
    sed -n '2,6p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build"
# A build/ left by a run as root cannot be written by anyone else.
if [ -e "$build" ] && ! [ -w "$build" ]; then
    echo "build: $build belongs to $(stat -c %U "$build") and you ($(id -un)) cannot write" \
        "to it; remove it (as its owner) and build again" >&2
    exit 1
fi
configure=(-S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${CI:-}" = true ]; then
    configure+=(-DORVANE_WERROR=ON)
fi

cmake "${configure[@]}" "$@"
cmake --build "$build" -j"$(nproc)"
