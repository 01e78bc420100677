#!/usr/bin/env bash
# run-dialer.sh [--tour] [--offscreen] [--out DIR] [--screenshot FILE] [--quit-after MS]
#               [-- DIALER-ARGS...]
#
# The main job: sets the machine up (scripts/setup-debian.sh --for dialer), builds, and
# starts three emulated phones and the dialer inside the sealed network namespace
# (scripts/sealed-net), where the dialer's search broadcast reaches only the phones in
# there with it.
#
# The phones: Front Desk (10.77.0.11, free), Lobby (10.77.0.12, held by another
# controller) and Sales Office (10.77.0.13, password 4711), each with its own contacts
# and call history; their datagram log goes to out/phones.log.
#
# With a usable display the dialer's window opens and runs until it is closed. Without
# one (or with --offscreen or --tour) the scripted tour runs on Qt's offscreen platform:
# search, pick a phone, log in, dial and hang up, phonebook, call log, menu, volume,
# console and text prompt, with a numbered picture after each step in out/tour (--out
# DIR), then the datagram trace; it exits 0 only if every step showed what it should.
# --screenshot FILE and --quit-after MS run the dialer itself instead (offscreen when no
# display is at hand): a picture of its window, default after 5000 ms, then it quits.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

usage() {
    sed -n '2,3p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

tour=false
offscreen=false
out=""
screenshot=""
quit_after=""
dialer_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --tour) tour=true ;;
        --offscreen) offscreen=true ;;
        --out) [ $# -ge 2 ] || usage; out="$2"; shift ;;
        --screenshot) [ $# -ge 2 ] || usage; screenshot="$2"; shift ;;
        --quit-after) [ $# -ge 2 ] || usage; quit_after="$2"; shift ;;
        --) shift; dialer_args=("$@"); break ;;
        -h | --help) sed -n '2,20p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
        *) echo "run-dialer: unknown option '$1' (see run-dialer.sh --help)" >&2; exit 2 ;;
    esac
    shift
done
if [ -n "$quit_after" ] && ! [[ "$quit_after" =~ ^[0-9]+$ ]]; then
    echo "run-dialer: --quit-after takes milliseconds, not '$quit_after'" >&2
    exit 2
fi

# A display counts only when the dialer can reach it from inside the namespace: through a
# socket on the file system. An X display over TCP (ssh forwarding) is out of reach there.
display_usable() {
    if [ -n "${WAYLAND_DISPLAY:-}" ]; then
        local socket="$WAYLAND_DISPLAY"
        [[ "$socket" == /* ]] || socket="${XDG_RUNTIME_DIR:-}/$WAYLAND_DISPLAY"
        if [ -S "$socket" ] &&
            compgen -G "/usr/lib/*/qt6/plugins/platforms/libqwayland*.so" >/dev/null; then
            return 0
        fi
    fi
    if [[ "${DISPLAY:-}" =~ ^(unix)?:([0-9]+)(\.[0-9]+)?$ ]] &&
        [ -S "/tmp/.X11-unix/X${BASH_REMATCH[2]}" ]; then
        return 0
    fi
    return 1
}

"$root/scripts/setup-debian.sh" --for dialer
# shellcheck source=scripts/as-owner.sh
source "$root/scripts/as-owner.sh"
as_owner "$@"
# The dialer, the phone and the tour only: the tests and benchmarks need more packages.
"$root/scripts/build.sh" -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCHMARKS=OFF

dialer="$root/build/src/qt/orvane-dialer"
tour_program="$root/build/src/demo/orvane-tour"
for program in "$dialer" "$tour_program"; do
    if [ ! -x "$program" ]; then
        echo "run-dialer: the build made no $program" >&2
        exit 1
    fi
done

# One address per emulated phone on the namespace's network.
export SEALED_NET_EXTRA="10.77.0.11 10.77.0.12 10.77.0.13"
mkdir -p "$root/out"
phones=("$tour_program" --run-with-phones --log "$root/out/phones.log")

if [ "$tour" = false ] && [ "$offscreen" = false ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ] &&
    display_usable; then
    args=()
    [ -z "$screenshot" ] || args+=(--screenshot "$screenshot")
    [ -z "$quit_after" ] || args+=(--quit-after "$quit_after")
    exec "$root/scripts/sealed-net" "${phones[@]}" "$dialer" "${args[@]}" "${dialer_args[@]}"
fi

if [ "$tour" = false ] && [ "$offscreen" = false ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
    echo "run-dialer: no display the sealed namespace can reach; running offscreen"
fi
# Qt wants a private runtime folder; the tour keeps the dialer's settings in one of its own.
if [ -z "${XDG_RUNTIME_DIR:-}" ]; then
    XDG_RUNTIME_DIR="$(mktemp -d)"
    export XDG_RUNTIME_DIR
    trap 'rm -rf "$XDG_RUNTIME_DIR"' EXIT
fi
export QT_QPA_PLATFORM=offscreen

if [ -z "$screenshot" ] && [ -z "$quit_after" ]; then
    out="${out:-$root/out/tour}"
    status=0
    "$root/scripts/sealed-net" "$tour_program" --out "$out" || status=$?
    exit "$status"
fi

# The dialer itself, offscreen, with the phones: one picture of its window.
screenshot="${screenshot:-$root/out/dialer.png}"
quit_after="${quit_after:-5000}"
mkdir -p "$(dirname "$screenshot")"
screenshot="$(cd "$(dirname "$screenshot")" && pwd)/$(basename "$screenshot")"
rm -f "$screenshot"
status=0
"$root/scripts/sealed-net" "${phones[@]}" "$dialer" \
    --screenshot "$screenshot" --quit-after "$quit_after" "${dialer_args[@]}" || status=$?
if [ ! -s "$screenshot" ]; then
    echo "run-dialer: the dialer left no screenshot at $screenshot (exit status $status)" >&2
    exit $((status == 0 ? 1 : status))
fi
echo "run-dialer: screenshot of the dialer window: $screenshot"
exit "$status"
