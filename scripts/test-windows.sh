#!/usr/bin/env bash
# test-windows.sh
#
# Runs the Windows program's tests under Wine (after scripts/build-windows.sh): the core's
# and the shell's tests and the end-to-end test, in the sealed network namespace, then the
# installer: installed, run and uninstalled. The Wine prefix (build-win/wine-prefix) is made
# once, on first use. Exits non-zero when anything fails.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${1:-}" in
-h | --help) sed -n '2,7p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
esac
"$root/tests/win/wine-prefix" "$root/build-win/wine-prefix"
"$root/scripts/sealed-net" ctest --test-dir "$root/build-win/win/src/win" --output-on-failure \
    -j"$(nproc)" --no-tests=error
shopt -s nullglob
setups=("$root"/build-win/dist/orvane-sip-dialer-*-setup.exe)
if [ ${#setups[@]} -ne 1 ]; then
    echo "test-windows: expected one installer in build-win/dist, found ${#setups[@]}" >&2
    exit 1
fi
"$root/packaging/windows/test-install.sh" "${setups[0]}"
