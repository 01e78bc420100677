#!/usr/bin/env bash
# dialer_command_line.sh DIALER PHONESIM VERSION MODE
#
# The dialer program as a user starts it from a terminal.
#   MODE options: --version and --help answer without a display; a wrong argument ends
#                 the program with status 2 and one line naming it.
#   MODE connect: (inside scripts/sealed-net, SEALED_NET_EXTRA=10.77.0.11) with one phone
#                 on 127.0.0.1 and one on 10.77.0.11, "--connect 127.0.0.1" logs into the
#                 first and broadcasts nothing: no search reaches the phones' wildcard
#                 socket, and the second phone hears nothing.
# Prints "N passed, N failed"; exits non-zero when a check failed.
set -uo pipefail
dialer="$(realpath "$1")" phonesim="$(realpath "$2")" version="$3" mode="$4"

passed=0
failed=0
check() { # check NAME COMMAND...
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
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

run() { # run ARGS...: the dialer's status, output and error output into $work
    env -u DISPLAY -u WAYLAND_DISPLAY QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" \
        timeout -k 5 30 "$dialer" "$@" >"$work/out" 2>"$work/err"
    echo $? >"$work/status"
}
status_is() { [ "$(cat "$work/status")" = "$1" ]; }
out_is() { [ "$(cat "$work/out")" = "$1" ]; }
err_is() { [ "$(cat "$work/err")" = "$1" ]; }
out_has() { grep -qF -- "$1" "$work/out"; }

case "$mode" in
options)
    # No display and no platform named: Qt would give up, so an answer means Qt never started.
    env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$dialer" --version \
        >"$work/out" 2>"$work/err"
    echo $? >"$work/status"
    check "--version answers without a display" status_is 0
    check "--version names the program and its version" \
        out_is "orvane-dialer (Orvane's SIP Dialer) $version"
    check "--version writes no error" err_is ""

    for help in --help -h; do
        env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM timeout 30 "$dialer" "$help" \
            >"$work/out" 2>"$work/err"
        echo $? >"$work/status"
        check "$help answers without a display" status_is 0
        check "$help starts with the usage line" \
            bash -c '[ "$(head -n1 "$1")" = "Usage: orvane-dialer [OPTION]..." ]' _ "$work/out"
        check "$help explains --connect" out_has "--connect ADDRESS"
    done

    while IFS='|' read -r args reason; do
        # shellcheck disable=SC2086 # the table's arguments are words
        run $args
        check "'$args' ends with status 2" status_is 2
        check "'$args' says why in one line" \
            err_is "orvane-dialer: $reason (see orvane-dialer --help)"
        check "'$args' writes nothing to standard output" out_is ""
    done <<'TABLE'
--frobnicate|unknown option '--frobnicate'
phone.example|unexpected argument 'phone.example'
--quit-after soon|--quit-after needs a number of milliseconds, not 'soon'
--connect|--connect needs a value
TABLE
    # Qt's own options are Qt's: with them the dialer starts (and is closed at once here).
    run -platform offscreen --quit-after 0 --connect 127.0.0.1
    check "Qt's options and ours together start the dialer" status_is 0
    ;;
connect)
    # One program plays both phones: the one on the namespace's network binds the
    # wildcard socket that hears every broadcast, which the loopback phone would refuse
    # to share with a second program.
    "$phonesim" --phone addr=127.0.0.1 --phone addr=10.77.0.11 --log "$work/sim.log" \
        >/dev/null 2>&1 &
    sim=$!
    trap 'kill $sim 2>/dev/null; rm -rf "$work"' EXIT
    for _ in $(seq 100); do
        grep -q ' READY' "$work/sim.log" 2>/dev/null && break
        sleep 0.1
    done
    # The search ends 4 s after start and logs in; 7 s leave time for the answer.
    (cd "$work" && run --connect 127.0.0.1 --quit-after 7000)
    kill $sim 2>/dev/null
    wait $sim 2>/dev/null
    log="$work/sim.log"
    check "the dialer ran and closed with status 0" status_is 0
    check "the phones listened for broadcasts" \
        grep -qE '^[^ ]+ \* LISTEN 0\.0\.0\.0:8888' "$log"
    check "the phone on 127.0.0.1 was asked by name" \
        grep -qE '^[^ ]+ 127\.0\.0\.1 IN 127\.0\.0\.1:[0-9]+ ORVN: ' "$log"
    check "the dialer logged into it" \
        grep -qE '^[^ ]+ 127\.0\.0\.1 OUT 127\.0\.0\.1:[0-9]+ LOGIN: ' "$log"
    check "it released the phone when closed" \
        grep -qE '^[^ ]+ 127\.0\.0\.1 IN 127\.0\.0\.1:[0-9]+ STOP:' "$log"
    check "nothing was broadcast" bash -c '! grep -q " BCAST " "$1"' _ "$log"
    check "the phone on the network heard nothing" \
        bash -c '! grep -qE "^[^ ]+ 10\.77\.0\.11 IN " "$1"' _ "$log"
    if [ "$failed" -ne 0 ]; then
        echo "--- phones' log"
        cat "$log"
        echo "--- dialer's output"
        cat "$work/out" "$work/err"
    fi
    ;;
*)
    echo "usage: dialer_command_line.sh DIALER PHONESIM VERSION options|connect" >&2
    exit 2
    ;;
esac
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
