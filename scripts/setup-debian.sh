#!/usr/bin/env bash
# setup-debian.sh [--for dialer|tests|ci|package]
#
# Installs, on Debian 12, what one job needs, and only what is missing:
#   dialer   build and run the dialer and the emulated phones (scripts/run-dialer.sh)
#   tests    and build and run every test and benchmark (scripts/run-tests.sh)
#   package  build the Debian packages (packaging/build-deb.sh)
#   ci       everything .ci/run does: the tests, the sanitizer and fuzz builds, the
#            packages and their checks (lintian, appstreamcli, desktop-file-validate, man)
# Default: tests. Non-interactive. As root it uses apt-get directly; as any other user it
# asks sudo for apt-get and for nothing else. Without sudo, run it once as root
# (su -c 'scripts/setup-debian.sh --for dialer') and everything else as yourself.
set -euo pipefail

usage() { sed -n '2,12p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; }

job=tests
while [ $# -gt 0 ]; do
    case "$1" in
    --for)
        [ $# -ge 2 ] || { echo "setup-debian: --for needs a job: dialer, tests, package or ci" >&2; exit 2; }
        job="$2"
        shift
        ;;
    --for=*) job="${1#--for=}" ;;
    -h | --help) usage; exit 0 ;;
    *) echo "setup-debian: unknown argument '$1' (see setup-debian.sh --help)" >&2; exit 2 ;;
    esac
    shift
done

# What each job adds to the one before it.
dialer=(
    cmake ninja-build g++                      # build
    qt6-base-dev                               # the Qt shell (its tools and GL headers come along)
    fonts-liberation                           # Arial's metric twin for the face
    iproute2 util-linux                        # scripts/sealed-net (ip, unshare)
)
tests=(
    libgtest-dev libgmock-dev libbenchmark-dev # tests and benchmarks
    xvfb xauth                                 # the window on a real X server
    xdotool imagemagick dbus-daemon            # the X tests: real input, screenshots,
    at-spi2-core python3 python3-pyatspi       #   the session bus, the accessibility tree
    python3-dbus python3-gi xdg-utils          #   a notification service, a clicked tel: link
)
package=(
    debhelper dpkg-dev build-essential         # dpkg-buildpackage with the dh sequencer
)
ci=(
    clang libclang-rt-14-dev                   # libFuzzer targets (fuzz/run.sh)
    lintian appstream desktop-file-utils man-db # checks of the packages and their files
)
case "$job" in
dialer) packages=("${dialer[@]}") ;;
tests) packages=("${dialer[@]}" "${tests[@]}") ;;
package) packages=("${dialer[@]}" "${package[@]}") ;;
ci) packages=("${dialer[@]}" "${tests[@]}" "${package[@]}" "${ci[@]}") ;;
*) echo "setup-debian: no job '$job': dialer, tests, package or ci" >&2; exit 2 ;;
esac

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
if [ ${#missing[@]} -eq 0 ]; then
    echo "setup-debian: everything the $job job needs is installed"
    exit 0
fi

as_root=()
if [ "$(id -u)" -ne 0 ]; then
    if ! command -v sudo >/dev/null 2>&1; then
        echo "setup-debian: missing ${missing[*]}; install them as root:" >&2
        echo "  su -c '$(realpath "${BASH_SOURCE[0]}") --for $job'" >&2
        exit 1
    fi
    as_root=(sudo)
fi

echo "setup-debian: installing for the $job job: ${missing[*]}"
# Another apt run (an unattended upgrade) may hold the lock for a while: wait for it.
apt=(env DEBIAN_FRONTEND=noninteractive apt-get -q -o DPkg::Lock::Timeout=300)
"${as_root[@]}" "${apt[@]}" update
"${as_root[@]}" "${apt[@]}" install -y --no-install-recommends \
    -o Dpkg::Options::=--force-confold "${missing[@]}"
