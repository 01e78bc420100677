#!/usr/bin/env bash
# test-install.sh [BUILD_DIR]
#
# Builds the Debian package in BUILD_DIR (default build-pkg at the top of the tree; it is
# configured when it has no cache yet), installs it on this machine, checks the installed
# files, then starts the installed emulated phone and the installed dialer (offscreen)
# inside scripts/sealed-net and checks that the dialer logged into the phone. The package
# is removed again at the end, also when a check fails.
#
# Run it as root (apt-get and dpkg), outside the sealed namespace: it enters the namespace
# itself for the two programs. Ends with "install test: N passed, N failed" and exits
# non-zero when a check failed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$(realpath -m "${1:-$root/build-pkg}")"
package=orvane-sip-dialer
phone_addr=10.77.0.11

if [ "$(id -u)" -ne 0 ]; then
    echo "test-install: run as root: it installs and removes the package" >&2
    exit 2
fi
export DEBIAN_FRONTEND=noninteractive

# What building the package and checking it need: dpkg-shlibdeps (dpkg-dev) works out
# the library packages, desktop-file-validate checks the desktop entry, man renders the
# manual pages.
tools=()
command -v dpkg-shlibdeps >/dev/null 2>&1 || tools+=(dpkg-dev)
command -v desktop-file-validate >/dev/null 2>&1 || tools+=(desktop-file-utils)
command -v man >/dev/null 2>&1 || tools+=(man-db)
if [ ${#tools[@]} -gt 0 ]; then
    echo "test-install: installing ${tools[*]}"
    apt-get update -q >/dev/null
    apt-get install -y -q --no-install-recommends "${tools[@]}" >/dev/null
fi

passed=0
failed=0
check() { # check NAME COMMAND...: runs COMMAND, counts and reports the outcome
    local name="$1"
    shift
    if "$@"; then
        echo "ok    $name"
        passed=$((passed + 1))
    else
        echo "FAIL  $name"
        failed=$((failed + 1))
    fi
}

work="$(mktemp -d /tmp/orvane-install-test.XXXXXX)"
installed_by_us=0
cleanup() {
    if [ "$installed_by_us" -eq 1 ]; then
        echo "test-install: removing $package"
        apt-get remove -y -q "$package" >/dev/null 2>&1 ||
            echo "test-install: could not remove $package" >&2
    fi
    rm -rf "$work"
}
trap cleanup EXIT

if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
    echo "test-install: $package is installed already; the test replaces it and removes it"
    installed_by_us=1
fi

# --- Build the package -----------------------------------------------------------------

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_INSTALL_PREFIX=/usr -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF
fi
cmake --build "$build" -j2 --target orvane-dialer orvane-phonesim orvane-desktop-files
rm -rf "$build/package"
(cd "$build" && cpack -G DEB -B "$build/package")
debs=("$build/package/${package}"_*.deb)
if [ ${#debs[@]} -ne 1 ] || [ ! -f "${debs[0]}" ]; then
    echo "test-install: cpack made no single ${package}_*.deb in $build/package" >&2
    exit 1
fi
deb="${debs[0]}"
echo "test-install: $(basename "$deb")"
depends="$(dpkg-deb -f "$deb" Depends)"
echo "Depends: $depends"

# The libraries' packages come from dpkg-shlibdeps; without it they would be missing.
depends_on() { [[ ", $depends," == *", $1 "* || ", $depends," == *", $1,"* ]]; }
for dep in libqt6widgets6 libqt6gui6 libc6 libstdc++6 fonts-liberation; do
    check "the package depends on $dep" depends_on "$dep"
done
# The dialer's socket is the system's own; Qt Network and its libraries are not needed.
lacks() { ! depends_on "$1"; }
check "the package does not depend on libqt6network6" lacks libqt6network6

# --- Install it ------------------------------------------------------------------------

installed_by_us=1
apt-get install -y -q --no-install-recommends "$deb" >"$work/apt.log" 2>&1 || {
    cat "$work/apt.log" >&2
    echo "test-install: apt-get could not install $deb" >&2
    exit 1
}

files=(
    /usr/bin/orvane-dialer
    /usr/bin/orvane-phonesim
    /usr/share/applications/orvane-dialer.desktop
    /usr/share/icons/hicolor/16x16/apps/orvane-dialer.png
    /usr/share/icons/hicolor/32x32/apps/orvane-dialer.png
    /usr/share/icons/hicolor/48x48/apps/orvane-dialer.png
    /usr/share/icons/hicolor/scalable/apps/orvane-dialer.svg
    /usr/share/man/man1/orvane-dialer.1.gz
    /usr/share/man/man1/orvane-phonesim.1.gz
)
dpkg -L "$package" >"$work/owned"
for f in "${files[@]}"; do
    check "$f is installed by the package" grep -qx "$f" "$work/owned"
done
for f in /usr/bin/orvane-dialer /usr/bin/orvane-phonesim; do
    check "$f finds every library" bash -c "test -x $f && ! ldd $f | grep -q 'not found'"
done

check "the desktop entry validates" desktop-file-validate \
    /usr/share/applications/orvane-dialer.desktop
desktop_field() { grep -qx "$1" /usr/share/applications/orvane-dialer.desktop; }
check "the desktop entry starts orvane-dialer" desktop_field 'Exec=orvane-dialer'
check "the desktop entry shows the orvane-dialer icon" desktop_field 'Icon=orvane-dialer'

# A PNG's width and height are the big-endian words at bytes 16 and 20.
png_is() { # png_is FILE SIZE
    local w h
    w=$(od -An -tu4 --endian=big -j16 -N4 "$1" | tr -d ' ')
    h=$(od -An -tu4 --endian=big -j20 -N4 "$1" | tr -d ' ')
    [ "$w" = "$2" ] && [ "$h" = "$2" ]
}
for n in 16 32 48; do
    check "the ${n}x${n} icon is $n pixels square" \
        png_is "/usr/share/icons/hicolor/${n}x${n}/apps/orvane-dialer.png" "$n"
done

# The page renders, says what it is about, and groff finds nothing to warn about.
man_renders() { # man_renders PAGE NAME
    local text warnings
    text="$(MANWIDTH=80 man -l "$1" 2>/dev/null)" || return 1
    warnings="$(zcat "$1" | groff -man -Tutf8 -ww -z 2>&1)"
    [ -z "$warnings" ] || echo "$warnings"
    [[ "$text" == *NAME*"$2"* ]] && [[ "$text" == *OPTIONS* ]] && [ -z "$warnings" ]
}
check "the orvane-dialer manual page renders" \
    man_renders /usr/share/man/man1/orvane-dialer.1.gz orvane-dialer
check "the orvane-phonesim manual page renders" \
    man_renders /usr/share/man/man1/orvane-phonesim.1.gz orvane-phonesim

# --- One login in the sealed namespace -------------------------------------------------

# A clean settings store and an empty working directory: not a private controller, no
# private contacts, so the dialer searches and connects to the one free phone.
mkdir -p "$work/run" "$work/cwd"
chmod 700 "$work/run"
cat >"$work/login.sh" <<'EOF'
set -u
cd "$WORK/cwd"
/usr/bin/orvane-phonesim --phone "addr=$PHONE_ADDR" --log "$WORK/phonesim.log" \
    >"$WORK/phonesim.out" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null' EXIT
for _ in $(seq 100); do
    grep -q ' READY' "$WORK/phonesim.log" 2>/dev/null && break
    sleep 0.1
done
# The search starts at 0.5 s and ends at 4 s with the login; 8 s leaves the link time
# to settle before the window closes as a user closes it.
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$WORK/run" timeout -k 5 30 /usr/bin/orvane-dialer \
    --quit-after 8000 --screenshot "$WORK/dialer.png" >"$WORK/dialer.out" 2>&1
echo $? >"$WORK/dialer.rc"
kill "$sim" 2>/dev/null
wait "$sim"
EOF
WORK="$work" PHONE_ADDR="$phone_addr" SEALED_NET_EXTRA="$phone_addr" \
    timeout -k 5 60 "$root/scripts/sealed-net" bash "$work/login.sh" || true

log="$work/phonesim.log"
touch "$log"
echo "--- phonesim log (first 20 lines)"
head -n 20 "$log"
echo "---"
check "the installed dialer ran and closed with status 0" \
    test "$(cat "$work/dialer.rc" 2>/dev/null)" = 0
check "the dialer's search broadcast reached the phone" \
    grep -qE "^[^ ]+ $phone_addr BCAST 10\.77\.0\.[0-9]+:[0-9]+ " "$log"
check "the dialer sent LOGIN: to the phone" \
    grep -qE "^[^ ]+ $phone_addr IN 10\.77\.0\.[0-9]+:[0-9]+ LOGIN: " "$log"
check "the phone answered with LOGIN:" \
    grep -qE "^[^ ]+ $phone_addr OUT 10\.77\.0\.[0-9]+:[0-9]+ LOGIN: " "$log"
check "the installed dialer drew its window" test -s "$work/dialer.png"
if [ -s "$work/dialer.out" ]; then
    echo "--- dialer output"
    cat "$work/dialer.out"
fi

# --- Remove it again -------------------------------------------------------------------

apt-get remove -y -q "$package" >"$work/apt.log" 2>&1 || cat "$work/apt.log" >&2
installed_by_us=0
check "removing the package takes the programs away" \
    test ! -e /usr/bin/orvane-dialer -a ! -e /usr/bin/orvane-phonesim

echo "install test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
