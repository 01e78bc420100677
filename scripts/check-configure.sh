#!/usr/bin/env bash
# check-configure.sh [--build]
#
# Configures the tree with every combination of its parts switched on and off (the Qt
# dialer, the tests, the benchmarks, the emulated phone, the tour and end-to-end driver),
# each in a scratch folder, and fails on the first combination that does not configure.
# With --build, the combinations with one part off (and all parts off) are built too.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_too=false
case "${1:-}" in
"") ;;
--build) build_too=true ;;
-h | --help)
    sed -n '2,7p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
*)
    echo "check-configure: unknown argument '$1' (see check-configure.sh --help)" >&2
    exit 2
    ;;
esac

parts=(QT TESTS BENCHMARKS PHONESIM DEMO)
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

failed=0
for ((mask = 0; mask < 1 << ${#parts[@]}; mask++)); do
    args=()
    off=()
    for i in "${!parts[@]}"; do
        if ((mask & 1 << i)); then
            args+=("-DORVANE_BUILD_${parts[i]}=ON")
        else
            args+=("-DORVANE_BUILD_${parts[i]}=OFF")
            off+=("${parts[i]}")
        fi
    done
    label="off: ${off[*]:-none}"
    dir="$scratch/$mask"
    if ! cmake -S "$root" -B "$dir" -G Ninja "${launcher[@]}" "${args[@]}" >"$dir.log" 2>&1; then
        echo "FAIL configure ($label)" >&2
        sed 's/^/    /' "$dir.log" >&2
        failed=1
        continue
    fi
    echo "ok   configure ($label)"
    # Built: all parts off, and each part off on its own.
    if $build_too && { [ ${#off[@]} -le 1 ] || [ ${#off[@]} -eq ${#parts[@]} ]; }; then
        if ! cmake --build "$dir" -j"$(nproc)" >"$dir.build.log" 2>&1; then
            echo "FAIL build ($label)" >&2
            tail -n 40 "$dir.build.log" | sed 's/^/    /' >&2
            failed=1
        else
            echo "ok   build ($label)"
        fi
    fi
    rm -rf "$dir"
done
exit "$failed"
