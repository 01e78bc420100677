#!/usr/bin/env bash
# Sets the machine up, builds, and runs every test. The whole test run happens inside
# scripts/sealed-net: tests that use the network reach only the sealed namespace (and
# networked tests start a namespace of their own inside it). Exits with ctest's status.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh"

export QT_QPA_PLATFORM=offscreen
status=0
"$root/scripts/sealed-net" ctest --test-dir "$root/build" --output-on-failure -j2 \
    --no-tests=error || status=$?
exit "$status"
