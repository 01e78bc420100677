#!/usr/bin/env bash
# test-install.sh [DEB_DIR]
#
# Builds the Debian packages orvane-sip-dialer and orvane-phonesim (packaging/build-deb.sh)
# into DEB_DIR (default: a scratch folder), checks them with lintian (no error, no warning)
# and by their contents (dependencies, hardening, file dates, the AppStream metainfo,
# desktop entry, icons and manual pages), installs both on this machine, and runs one
# login of the installed dialer to the installed emulated phone inside scripts/sealed-net,
# the way the README tells a user to try it without hardware: the phone on 127.0.0.1 and
# "orvane-dialer --connect 127.0.0.1". Both packages are removed again at the end, also
# when a check fails.
#
# Run it as root (apt-get and dpkg), outside the sealed namespace: it enters the namespace
# itself for the two programs. Ends with "install test: N passed, N failed" and exits
# non-zero when a check failed.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${1:-}" in
-h | --help)
    sed -n '2,15p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
    exit 0
    ;;
-*)
    echo "test-install: unknown option '$1' (see test-install.sh --help)" >&2
    exit 2
    ;;
esac
packages=(orvane-sip-dialer orvane-phonesim)

if [ "$(id -u)" -ne 0 ]; then
    echo "test-install: run as root: it installs and removes the packages" >&2
    exit 2
fi
export DEBIAN_FRONTEND=noninteractive
"$root/scripts/setup-debian.sh" --for ci

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
chmod 755 "$work"
debs="$(realpath -m "${1:-$work/deb}")"
installed_by_us=0
remove_packages() {
    apt-get remove -y -q -o DPkg::Lock::Timeout=300 "${packages[@]}" >"$work/apt.log" 2>&1 ||
        cat "$work/apt.log" >&2
}
cleanup() {
    if [ "$installed_by_us" -eq 1 ]; then
        echo "test-install: removing ${packages[*]}"
        remove_packages
    fi
    rm -rf "$work"
}
trap cleanup EXIT

for p in "${packages[@]}"; do
    if dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        echo "test-install: $p is installed already; the test replaces it and removes it"
        installed_by_us=1
    fi
done

# --- Build the packages ----------------------------------------------------------------

"$root/packaging/build-deb.sh" "$debs" >"$work/build.log" 2>&1 || {
    tail -n 60 "$work/build.log" >&2
    echo "test-install: the packages did not build (log above)" >&2
    exit 1
}
version="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Version)"
arch="$(dpkg --print-architecture)"
dialer_deb="$debs/orvane-sip-dialer_${version}_${arch}.deb"
phonesim_deb="$debs/orvane-phonesim_${version}_${arch}.deb"
changes="$debs/orvane-sip-dialer_${version}_${arch}.changes"
for f in "$dialer_deb" "$phonesim_deb" "$changes"; do
    if [ ! -f "$f" ]; then
        echo "test-install: the build made no $f" >&2
        exit 1
    fi
done
echo "test-install: $(basename "$dialer_deb") $(basename "$phonesim_deb")"

# --- Debian's own checks ---------------------------------------------------------------

# Every package of the build (the -dbgsym ones too), with the tags lintian shows by default.
lintian_clean() {
    lintian --fail-on error,warning "$changes" >"$work/lintian.txt" 2>&1
    local status=$?
    cat "$work/lintian.txt"
    [ "$status" -eq 0 ] && ! grep -qE '^[EW]: ' "$work/lintian.txt"
}
check "lintian finds no error and no warning" lintian_clean

# --- What the packages hold and need -------------------------------------------------

field() { dpkg-deb -f "$1" "$2"; }
depends_on() { # depends_on DEB PACKAGE
    local depends
    depends=", $(field "$1" Depends),"
    [[ "$depends" == *", $2 "* || "$depends" == *", $2,"* ]]
}
lacks() { ! depends_on "$@"; }
echo "orvane-sip-dialer Depends: $(field "$dialer_deb" Depends)"
echo "orvane-phonesim Depends: $(field "$phonesim_deb" Depends)"
for dep in libqt6widgets6 libqt6gui6 libc6 libstdc++6 fonts-liberation; do
    check "orvane-sip-dialer depends on $dep" depends_on "$dialer_deb" "$dep"
done
# The dialer's socket is the system's own; Qt Network is not needed.
check "orvane-sip-dialer does not depend on libqt6network6" lacks "$dialer_deb" libqt6network6
for dep in libc6 libstdc++6; do
    check "orvane-phonesim depends on $dep" depends_on "$phonesim_deb" "$dep"
done
check "orvane-phonesim needs no Qt" bash -c '! dpkg-deb -f "$1" Depends | grep -q libqt' _ \
    "$phonesim_deb"

# Reproducible: every file carries the date of the newest changelog entry, not the time
# of the build, and so do the manual pages' own dates.
epoch="$(dpkg-parsechangelog -l "$root/debian/changelog" -S Timestamp)"
newest_file_date() { # newest_file_date DEB: seconds since 1970 of its newest member
    local newest=0 t
    while read -r t; do
        [ "$t" -gt "$newest" ] && newest="$t"
    done < <(dpkg-deb --fsys-tarfile "$1" | tar -t -v --full-time -f - |
        awk '{print $4 " " $5}' | while read -r d t; do date -u -d "$d $t" +%s; done)
    echo "$newest"
}
for deb in "$dialer_deb" "$phonesim_deb"; do
    check "$(field "$deb" Package): no file is newer than the changelog entry" \
        test "$(newest_file_date "$deb")" -le "$epoch"
done

# Hardening: position-independent, relocations read-only and bound at start, fortified
# string functions; and no compiler comment section.
mkdir -p "$work/x"
dpkg-deb -x "$dialer_deb" "$work/x"
dpkg-deb -x "$phonesim_deb" "$work/x"
for program in orvane-dialer orvane-phonesim; do
    elf="$work/x/usr/bin/$program"
    check "$program is position-independent" \
        bash -c 'readelf -h "$1" | grep -q "Type:.*DYN"' _ "$elf"
    check "$program has read-only relocations" \
        bash -c 'readelf -lW "$1" | grep -q GNU_RELRO' _ "$elf"
    check "$program binds every symbol at start" \
        bash -c 'readelf -dW "$1" | grep -qE "BIND_NOW|FLAGS_1.* NOW"' _ "$elf"
    check "$program calls the fortified string functions" \
        bash -c 'readelf --dyn-syms -W "$1" | grep -q "__[a-z]*_chk"' _ "$elf"
    check "$program has no .comment section" \
        bash -c '! readelf -SW "$1" | grep -q "\.comment"' _ "$elf"
done

installed_version() { "$work/x/usr/bin/$1" --version; }
check "orvane-dialer --version names the package's version" \
    test "$(installed_version orvane-dialer)" = "orvane-dialer (Orvane's SIP Dialer) $version"
check "orvane-phonesim --version names the package's version" \
    test "$(installed_version orvane-phonesim)" = "orvane-phonesim (Orvane's SIP Dialer) $version"

# --- Install them ----------------------------------------------------------------------

installed_by_us=1
apt-get install -y -q -o DPkg::Lock::Timeout=300 --no-install-recommends "$dialer_deb" "$phonesim_deb" \
    >"$work/apt.log" 2>&1 || {
    cat "$work/apt.log" >&2
    echo "test-install: apt-get could not install the packages" >&2
    exit 1
}

metainfo=/usr/share/metainfo/example.orvane.sipdialer.metainfo.xml
dialer_files=(
    /usr/bin/orvane-dialer
    /usr/share/applications/orvane-dialer.desktop
    /usr/share/icons/hicolor/16x16/apps/orvane-dialer.png
    /usr/share/icons/hicolor/32x32/apps/orvane-dialer.png
    /usr/share/icons/hicolor/48x48/apps/orvane-dialer.png
    /usr/share/icons/hicolor/scalable/apps/orvane-dialer.svg
    /usr/share/man/man1/orvane-dialer.1.gz
    "$metainfo"
    /usr/share/doc/orvane-sip-dialer/copyright
    /usr/share/doc/orvane-sip-dialer/changelog.gz
    /usr/share/doc/orvane-sip-dialer/README.md.gz
)
phonesim_files=(
    /usr/bin/orvane-phonesim
    /usr/share/man/man1/orvane-phonesim.1.gz
    /usr/share/doc/orvane-phonesim/copyright
    /usr/share/doc/orvane-phonesim/changelog.gz
)
dpkg -L orvane-sip-dialer >"$work/owned-dialer"
dpkg -L orvane-phonesim >"$work/owned-phonesim"
for f in "${dialer_files[@]}"; do
    check "orvane-sip-dialer installs $f" grep -qx "$f" "$work/owned-dialer"
done
for f in "${phonesim_files[@]}"; do
    check "orvane-phonesim installs $f" grep -qx "$f" "$work/owned-phonesim"
done
for f in /usr/bin/orvane-dialer /usr/bin/orvane-phonesim; do
    check "$f finds every library" bash -c "test -x $f && ! ldd $f | grep -q 'not found'"
done
check "the copyright file names the MIT (Expat) licence" \
    grep -q '^License: Expat' /usr/share/doc/orvane-sip-dialer/copyright

appstream_clean() {
    appstreamcli validate --no-net "$metainfo" >"$work/appstream.txt" 2>&1
    local status=$?
    cat "$work/appstream.txt"
    [ "$status" -eq 0 ] && ! grep -qE '^[EW]: ' "$work/appstream.txt"
}
check "appstreamcli finds the metainfo valid, without warnings" appstream_clean
check "the metainfo launches the installed desktop entry" \
    grep -q '<launchable type="desktop-id">orvane-dialer.desktop</launchable>' "$metainfo"
check "the metainfo's newest release is the package's version" \
    grep -q "<release version=\"$version\"" "$metainfo"

check "the desktop entry validates" desktop-file-validate \
    /usr/share/applications/orvane-dialer.desktop
desktop_field() { grep -qx "$1" /usr/share/applications/orvane-dialer.desktop; }
check "the desktop entry starts orvane-dialer with the clicked link" \
    desktop_field 'Exec=orvane-dialer %u'
check "the desktop entry takes tel:, callto: and sip: links" \
    desktop_field 'MimeType=x-scheme-handler/tel;x-scheme-handler/callto;x-scheme-handler/sip;'
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

# The page renders, says what it is about, carries the build's date, and groff finds
# nothing to warn about.
man_date="$(date -u -d "@$epoch" +%Y-%m-%d)"
man_renders() { # man_renders PAGE NAME SECTION...
    local page="$1" name="$2" text warnings section
    shift 2
    text="$(MANWIDTH=80 man -l "$page" 2>/dev/null)" || return 1
    warnings="$(zcat "$page" | groff -man -Tutf8 -ww -z 2>&1)"
    [ -z "$warnings" ] || echo "$warnings"
    [[ "$text" == *NAME*"$name"* ]] && [ -z "$warnings" ] || return 1
    [[ "$text" == *"$man_date"* ]] || { echo "no date $man_date on the page"; return 1; }
    for section in "$@"; do
        [[ "$text" == *"$section"* ]] || { echo "no $section on the page"; return 1; }
    done
}
check "the orvane-dialer manual page renders, dated by the build" \
    man_renders /usr/share/man/man1/orvane-dialer.1.gz orvane-dialer OPTIONS --connect \
    --version "REAL PHONE" FIREWALL SECURITY "WITHOUT HARDWARE"
check "the orvane-phonesim manual page renders, dated by the build" \
    man_renders /usr/share/man/man1/orvane-phonesim.1.gz orvane-phonesim OPTIONS --version

# --- One login between the installed programs, in the sealed namespace -----------------

# The README's way to try the dialer without hardware: a phone on 127.0.0.1 and the dialer
# told to connect to it. The same emulator plays a second phone on the namespace's
# network, whose wildcard socket hears every broadcast: it must hear nothing. A clean
# settings store and an empty working directory: no private controller, no contacts.
mkdir -p "$work/run" "$work/cwd"
chmod 700 "$work/run"
cat >"$work/login.sh" <<'EOF'
set -u
cd "$WORK/cwd"
/usr/bin/orvane-phonesim --phone addr=127.0.0.1 --phone addr=10.77.0.11,name=LAN \
    --log "$WORK/phonesim.log" >"$WORK/phonesim.out" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null' EXIT
for _ in $(seq 100); do
    grep -q ' READY' "$WORK/phonesim.log" 2>/dev/null && break
    sleep 0.1
done
# The search of the one address starts at 0.5 s and ends at 4 s with the login; 8 s leave
# the link time to settle before the window closes as a user closes it.
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$WORK/run" timeout -k 5 30 /usr/bin/orvane-dialer \
    --connect 127.0.0.1 --quit-after 8000 --screenshot "$WORK/dialer.png" \
    >"$WORK/dialer.out" 2>&1
echo $? >"$WORK/dialer.rc"
kill "$sim" 2>/dev/null
wait "$sim"
EOF
WORK="$work" SEALED_NET_EXTRA=10.77.0.11 \
    timeout -k 5 60 "$root/scripts/sealed-net" bash "$work/login.sh" || true

log="$work/phonesim.log"
touch "$log"
echo "--- phonesim log (first 20 lines)"
head -n 20 "$log"
echo "---"
check "the installed dialer ran and closed with status 0" \
    test "$(cat "$work/dialer.rc" 2>/dev/null)" = 0
check "the phones listened for broadcasts" grep -qE '^[^ ]+ \* LISTEN 0\.0\.0\.0:8888' "$log"
check "the dialer asked the phone on 127.0.0.1" \
    grep -qE '^[^ ]+ 127\.0\.0\.1 IN 127\.0\.0\.1:[0-9]+ ORVN: ' "$log"
check "the dialer sent LOGIN: to the phone" \
    grep -qE '^[^ ]+ 127\.0\.0\.1 IN 127\.0\.0\.1:[0-9]+ LOGIN: ' "$log"
check "the phone answered with LOGIN:" \
    grep -qE '^[^ ]+ 127\.0\.0\.1 OUT 127\.0\.0\.1:[0-9]+ LOGIN: ' "$log"
check "closing the window released the phone" \
    grep -qE '^[^ ]+ 127\.0\.0\.1 IN 127\.0\.0\.1:[0-9]+ STOP:' "$log"
check "nothing was broadcast" bash -c '! grep -q " BCAST " "$1"' _ "$log"
check "the phone on the network heard nothing" \
    bash -c '! grep -qE "^[^ ]+ 10\.77\.0\.11 IN " "$1"' _ "$log"
check "the installed dialer drew its window" test -s "$work/dialer.png"
if [ -s "$work/dialer.out" ]; then
    echo "--- dialer output"
    cat "$work/dialer.out"
fi

# --- Remove them again -----------------------------------------------------------------

remove_packages
installed_by_us=0
check "removing the packages takes the programs away" \
    test ! -e /usr/bin/orvane-dialer -a ! -e /usr/bin/orvane-phonesim

echo "install test: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
