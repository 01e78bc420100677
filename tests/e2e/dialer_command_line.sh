#!/usr/bin/env bash
# dialer_command_line.sh DIALER PHONESIM VERSION MODE
#
# The dialer program as a user starts it from a terminal.
#   MODE options: --version and --help answer without a display; a wrong argument ends
#                 the program with status 2 and one line naming it.
#   MODE instance: (inside scripts/sealed-net, SEALED_NET_EXTRA=10.77.0.11) one dialer per
#                 session, on a session bus of the test's own and, without a bus, on the
#                 runtime folder's socket: a link given at start is dialled once the phone
#                 is taken; a second start hands its link to the first and ends with 0; a
#                 dialer that was killed keeps no later one from starting.
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
            bash -c '[ "$(head -n1 "$1")" = "Usage: orvane-dialer [OPTION]... [URL]" ]' _ "$work/out"
        check "$help explains --connect" out_has "--connect ADDRESS"
        check "$help explains links" out_has "tel:, callto: or sip: link"
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
tel:1-800-FLOWERS|cannot dial 'tel:1-800-FLOWERS': the number holds 'F', which is not a digit, '+', '*' or '#'
tel:|cannot dial 'tel:': the link holds no number
sip:alice@example.org|cannot dial 'sip:alice@example.org': the number holds 'a', which is not a digit, '+', '*' or '#'
tel:555;ext=1|cannot dial 'tel:555;ext=1': the link has parameters (';'), which the phone cannot dial
tel:1 tel:2|only one link can be dialled at a time
TABLE
    # Qt's own options are Qt's: with them the dialer starts (and is closed at once here).
    run -platform offscreen --quit-after 0 --connect 127.0.0.1
    check "Qt's options and ours together start the dialer" status_is 0
    ;;
instance)
    "$phonesim" --phone addr=10.77.0.11 --log "$work/sim.log" >/dev/null 2>&1 &
    sim=$!
    pids=("$sim")
    trap 'kill "${pids[@]}" 2>/dev/null; rm -rf "$work"' EXIT
    for _ in $(seq 100); do
        grep -q ' READY' "$work/sim.log" 2>/dev/null && break
        sleep 0.1
    done
    dialled() { # dialled NUMBER: the phone was sent "DISP:" and right after "DIAL: NUMBER"
        awk -v want="DIAL: $1" '$3 == "IN" {
                t = $0; sub(/^[^ ]+ [^ ]+ IN [^ ]+ /, "", t)
                if (t == want && prev == "DISP:") found = 1
                prev = t
            } END { exit !found }' "$work/sim.log"
    }
    wait_dialled() { # wait_dialled NUMBER: up to 15 s
        for _ in $(seq 150); do
            dialled "$1" && return 0
            sleep 0.1
        done
        return 1
    }
    start_first() { # start_first ARGS...: a first dialer in the background, its pid in $first
        env -u DISPLAY -u WAYLAND_DISPLAY "${session[@]}" QT_QPA_PLATFORM=offscreen \
            "$dialer" --connect 10.77.0.11 "$@" >"$work/first.out" 2>&1 &
        first=$!
        pids+=("$first")
    }
    second() { # second ARGS...: a later start; its status in $work/status
        env -u DISPLAY -u WAYLAND_DISPLAY "${session[@]}" QT_QPA_PLATFORM=offscreen \
            timeout -k 5 20 "$dialer" "$@" >"$work/out" 2>"$work/err"
        echo $? >"$work/status"
    }
    bus=$(mktemp -d "$work/bus.XXXX")
    dbus-daemon --session --nofork --print-address=1 --address="unix:dir=$bus" >"$work/bus.addr" \
        2>/dev/null &
    pids+=($!)
    for _ in $(seq 50); do [ -s "$work/bus.addr" ] && break; sleep 0.1; done
    # A link refused at a start without a terminal is told on the desktop.
    python=/usr/bin/python3
    [ -x "$python" ] || python=python3
    coproc notices { DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$work/bus.addr")" \
        "$python" "$(dirname "${BASH_SOURCE[0]}")/../x11/notify_server.py" "$work/notices"; }
    pids+=("$notices_PID")
    read -r -t 10 ready <&"${notices[0]}"
    check "the tests' notification service is up" test "${ready:-}" = READY
    session=(XDG_RUNTIME_DIR="$work" HOME="$work" DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$work/bus.addr")")
    second "tel:12a"
    check "a link that cannot be dialled ends with status 2" status_is 2
    check "... and, without a terminal, says why in a desktop notice" \
        grep -qF '"summary": "Cannot dial this link", "body": "cannot dial '"'tel:12a'"': the number holds' \
        "$work/notices"
    n=0
    for how in bus socket; do
        n=$((n + 1))
        mkdir -m 700 "$work/run-$how" "$work/home-$how"
        session=(XDG_RUNTIME_DIR="$work/run-$how" HOME="$work/home-$how" XDG_DATA_HOME=)
        if [ "$how" = bus ]; then
            session+=(DBUS_SESSION_BUS_ADDRESS="$(head -n1 "$work/bus.addr")")
        else
            session=(-u DBUS_SESSION_BUS_ADDRESS "${session[@]}")
        fi
        start_first "tel:+49 (30) 1234-5$n"
        check "$how: the link given at start is dialled once the phone is taken" \
            wait_dialled "+493012345$n"
        second "callto://7$n"
        check "$how: a second start with a link ends with status 0" status_is 0
        check "$how: the running dialer dials the second start's link" wait_dialled "7$n"
        second
        check "$how: a second start without a link ends with status 0" status_is 0
        second "tel:9$n" --connect 10.77.0.99
        check "$how: a second start says --connect is not used" \
            grep -q "(--connect 10.77.0.99 is not used)" "$work/err"
        check "$how: ... and hands its link over all the same" wait_dialled "9$n"
        check "$how: the first dialer still runs" kill -0 "$first"
        check "$how: the dialled numbers are the recent numbers, newest first" \
            diff <(printf 'orvane-sip-dialer recent numbers 1\n9%s\n7%s\n+493012345%s\n' $n $n $n) \
            "$work/home-$how/.local/share/orvane-sip-dialer/recent-numbers"
        # A dialer that dies leaves its socket (or nothing on the bus); the next start runs.
        kill -KILL "$first"
        wait "$first" 2>/dev/null
        start_first "tel:55$n"
        check "$how: after a killed dialer a new start runs and dials" wait_dialled "55$n"
        kill "$first"
        wait "$first" 2>/dev/null
    done
    if [ "$failed" -ne 0 ]; then
        echo "--- phone's log"
        cat "$work/sim.log"
        echo "--- dialers' output"
        cat "$work/first.out" "$work/out" "$work/err"
    fi
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
    echo "usage: dialer_command_line.sh DIALER PHONESIM VERSION options|instance|connect" >&2
    exit 2
    ;;
esac
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
