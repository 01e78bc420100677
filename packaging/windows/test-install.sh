#!/usr/bin/env bash
# test-install.sh SETUP.exe
#
# Installs the Windows program with its installer, silently and as the user, into the
# build's Wine prefix; checks the program, the Start menu entry and the Apps entry; runs
# the installed program; uninstalls it and checks that nothing is left.
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
setup="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
run="$root/tests/win/wine-run"
export WINEPREFIX="${WINEPREFIX:-$root/build-win/wine-prefix}"
fail() { echo "test-install: $*" >&2; exit 1; }

"$root/tests/win/wine-prefix" "$WINEPREFIX"
# Wine names the Windows user after the Unix one.
profile="$WINEPREFIX/drive_c/users/$(id -un)"
install_dir="$profile/AppData/Local/Programs/Orvane SIP Dialer"
start_menu="$profile/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"

"$run" "$setup" /S
[ -f "$install_dir/orvane-dialer.exe" ] || fail "no $install_dir/orvane-dialer.exe"
[ -f "$install_dir/uninstall.exe" ] || fail "no uninstaller"
[ -f "$start_menu/Orvane's SIP Dialer.lnk" ] || fail "no Start menu entry in $start_menu"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\OrvaneSipDialer'
"$run" reg query "$key" /v DisplayVersion 2>/dev/null | grep -q DisplayVersion ||
    fail "no Apps entry"
version="$("$run" "$install_dir/orvane-dialer.exe" --version | tr -d '\r')"
echo "test-install: the installed program says: $version"
case "$version" in "orvane-dialer "[0-9]*) ;; *) fail "the installed program says '$version'" ;; esac

# The uninstaller runs from a copy of itself and returns at once: wait for it.
"$run" "$install_dir/uninstall.exe" /S
for _ in $(seq 100); do
    [ -e "$install_dir" ] || break
    sleep 0.2
done
[ ! -e "$install_dir" ] || fail "$install_dir is left after uninstalling: $(ls "$install_dir")"
[ ! -e "$start_menu/Orvane's SIP Dialer.lnk" ] || fail "the Start menu entry is left"
if "$run" reg query "$key" >/dev/null 2>&1; then fail "the Apps entry is left"; fi
echo "test-install: installed, ran and uninstalled"
