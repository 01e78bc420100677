#!/usr/bin/env bash
# run-sanitized-tests.sh
#
# Builds everything with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan/
# and runs every test there, inside scripts/sealed-net like the plain run. Any report of
# either sanitizer (leaks included) fails the test that caused it.
set -euo pipefail
case "${1:-}" in
"") ;;
-h | --help)
    sed -n '2,6p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
*)
    echo "run-sanitized-tests: unknown argument '$1' (see run-sanitized-tests.sh --help)" >&2
    exit 2
    ;;
esac

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-asan"
flags="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DORVANE_BUILD_BENCHMARKS=OFF \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
cmake --build "$build" -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
# Leaks inside the system's font and graphics libraries are theirs, not ours.
export LSAN_OPTIONS="suppressions=$root/scripts/lsan.supp:print_suppressions=0"
# The X tests are left to the plain run: they check what a person sees, and under
# AddressSanitizer the X keyboard library's own start-up read trips the strict string
# checks before the window shows. The end-to-end tests run one at a time: a sanitized
# dialer is several times slower, and a flood test beside a long list's burst would
# overflow the list's socket and lose datagrams (UDP), which no dialer can get back.
status=0
"$root/scripts/sealed-net" ctest --test-dir "$build" --output-on-failure -j"$(nproc)" \
    --no-tests=error -LE 'e2e|x11' || status=$?
"$root/scripts/sealed-net" ctest --test-dir "$build" --output-on-failure -j1 \
    --no-tests=error -L e2e || status=$?
exit "$status"
