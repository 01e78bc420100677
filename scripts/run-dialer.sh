#!/usr/bin/env bash
# The main job: sets the machine up, builds, and starts the dialer inside the sealed
# network namespace (scripts/sealed-net), where its search broadcast reaches only what
# runs in there with it.
#
# usage: scripts/run-dialer.sh [--offscreen] [--screenshot FILE] [--quit-after MS]
#                              [-- DIALER-ARGS...]
#
# With a usable display the window opens and the dialer runs until it is closed. Without
# one (or with --offscreen) it runs on Qt's offscreen platform, saves a picture of its
# window after a while (default out/dialer.png after 5000 ms), quits, and says where the
# picture is.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

usage() {
    sed -n '6,7p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//' >&2
    exit 2
}

offscreen=false
screenshot=""
quit_after=""
dialer_args=()
while [ $# -gt 0 ]; do
    case "$1" in
        --offscreen) offscreen=true ;;
        --screenshot) [ $# -ge 2 ] || usage; screenshot="$2"; shift ;;
        --quit-after) [ $# -ge 2 ] || usage; quit_after="$2"; shift ;;
        --) shift; dialer_args=("$@"); break ;;
        -h | --help) usage ;;
        *) echo "run-dialer: unknown option '$1'" >&2; usage ;;
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

"$root/scripts/setup-debian.sh"
"$root/scripts/build.sh"

dialer="$root/build/src/qt/orvane-dialer"
if [ ! -x "$dialer" ]; then
    echo "run-dialer: the build made no $dialer" >&2
    exit 1
fi

if [ "$offscreen" = false ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ] && display_usable; then
    args=()
    [ -z "$screenshot" ] || args+=(--screenshot "$screenshot")
    [ -z "$quit_after" ] || args+=(--quit-after "$quit_after")
    exec "$root/scripts/sealed-net" "$dialer" "${args[@]}" "${dialer_args[@]}"
fi

if [ "$offscreen" = false ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
    echo "run-dialer: no display the sealed namespace can reach; running offscreen"
fi
screenshot="${screenshot:-$root/out/dialer.png}"
quit_after="${quit_after:-5000}"
mkdir -p "$(dirname "$screenshot")"
screenshot="$(cd "$(dirname "$screenshot")" && pwd)/$(basename "$screenshot")"
rm -f "$screenshot"

status=0
QT_QPA_PLATFORM=offscreen "$root/scripts/sealed-net" "$dialer" \
    --screenshot "$screenshot" --quit-after "$quit_after" "${dialer_args[@]}" || status=$?
if [ ! -s "$screenshot" ]; then
    echo "run-dialer: the dialer left no screenshot at $screenshot (exit status $status)" >&2
    exit $((status == 0 ? 1 : status))
fi
echo "run-dialer: screenshot of the dialer window: $screenshot"
exit "$status"
