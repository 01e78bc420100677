#!/usr/bin/env bash
# Configures and builds everything into build/ (Ninja, RelWithDebInfo, two jobs).
# Arguments go to the configure step, e.g. scripts/build.sh -DORVANE_BUILD_QT=OFF.
# With CI=true warnings are errors.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
configure=(-S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo)
if [ "${CI:-}" = true ]; then
    configure+=(-DORVANE_WERROR=ON)
fi

cmake "${configure[@]}" "$@"
cmake --build "$root/build" -j2
