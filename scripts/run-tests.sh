#!/usr/bin/env bash
# run-tests.sh
#
# Sets the machine up (scripts/setup-debian.sh --for tests), builds, and runs every test.
# The whole test run happens inside scripts/sealed-net: tests that use the network reach
# only the sealed namespace (and networked tests start a namespace of their own inside it).
# Exits with ctest's status.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${1:-}" in
"") ;;
-h | --help)
    sed -n '2,7p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
*)
    echo "run-tests: unknown argument '$1' (see run-tests.sh --help)" >&2
    exit 2
    ;;
esac

"$root/scripts/setup-debian.sh" --for "$([ "${CI:-}" = true ] && echo ci || echo tests)"
# shellcheck source=scripts/as-owner.sh
source "$root/scripts/as-owner.sh"
as_owner "$@"
"$root/scripts/build.sh" -DORVANE_BUILD_TESTS=ON -DORVANE_BUILD_BENCHMARKS=ON

export QT_QPA_PLATFORM=offscreen
status=0
"$root/scripts/sealed-net" ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)" \
    --no-tests=error || status=$?
exit "$status"
