#!/usr/bin/env bash
# bench.sh [PART...]: builds the benchmarks in Release (build-release/), runs them and
# prints one table. Every row sets a figure beside a baseline measured in the same run,
# with the ratio, the target and a verdict. Nothing here fails on a slow machine: a
# missed target is a "MISS" row, and the script still ends with 0.
#
# PART: protocol sync roundtrip lists flood skin startup (default: all of them).
#
# The window benchmarks run inside scripts/sealed-net: the dialog they drive would search
# with a broadcast if its start-up timers ran, and the key round trip needs
# 127.0.0.1:8888 for its stand-in device.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build-release"
parts=("$@")
if [ ${#parts[@]} -eq 0 ]; then
    parts=(protocol sync roundtrip lists flood skin startup)
fi
for part in "${parts[@]}"; do
    case "$part" in
    -h | --help)
        sed -n '2,11p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'
        exit 0
        ;;
    protocol | sync | roundtrip | lists | flood | skin | startup) ;;
    *)
        echo "usage: bench.sh [protocol|sync|roundtrip|lists|flood|skin|startup]..." >&2
        exit 2
        ;;
    esac
done

echo "== building (Release, $build)" >&2
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DORVANE_BUILD_TESTS=OFF \
    -DORVANE_BUILD_PHONESIM=OFF -DORVANE_BUILD_BENCHMARKS=ON >/dev/null
cmake --build "$build" -j"$(nproc)" --target protocol_bench window_bench >&2

runtime="$(mktemp -d)"
rows="$(mktemp)"
trap 'rm -rf "$runtime" "$rows"' EXIT
chmod 700 "$runtime"
export XDG_RUNTIME_DIR="$runtime"
export QT_QPA_PLATFORM=offscreen

load_before="$(cut -d' ' -f1-3 /proc/loadavg)"
started="$(date -u '+%Y-%m-%d %H:%M UTC')"

protocol_rows() {
    # Medians of 5 repetitions of a few device messages, beside a memchr pass over the same
    # bytes.
    "$build/bench/protocol_bench" \
        --benchmark_filter='^(parse|floor|device_parse)/(disp|calls_4000|pbook_200|menu|orvn_long|key)/' \
        --benchmark_repetitions=5 --benchmark_report_aggregates_only=true \
        --benchmark_format=csv 2>/dev/null |
        awk -F, '
            /_median"/ {
                name = $1; gsub(/"/, "", name); sub(/_median$/, "", name)
                split(name, p, "/"); kind = p[1]; msg = p[2]; bytes = p[3]
                t[kind "/" msg] = $3; size[msg] = bytes
            }
            END {
                label["disp"] = "DISP line"; label["calls_4000"] = "CALLS datagram, full"
                label["pbook_200"] = "PBOOK datagram"; label["menu"] = "MENU list"
                label["orvn_long"] = "discovery reply"; label["key"] = "device side: KEY command"
                n = split("disp pbook_200 calls_4000 menu orvn_long key", order, " ")
                for (i = 1; i <= n; i++) {
                    m = order[i]
                    fig = (m == "key") ? t["device_parse/" m] : t["parse/" m]
                    flo = t["floor/" m]
                    if (fig == "" || flo == "") continue
                    printf "ROW\tread one %s (%s bytes)\t%.0f ns\t%.1f ns (memchr over the same bytes)\t%.0fx\t-\t-\n",
                        label[m], size[m], fig, flo, fig / flo
                }
            }'
}

window_modes=()
for part in "${parts[@]}"; do
    case "$part" in
    protocol)
        echo "== protocol_bench" >&2
        protocol_rows >>"$rows"
        ;;
    *) window_modes+=("$part") ;;
    esac
done
for mode in "${window_modes[@]}"; do
    echo "== window_bench $mode" >&2
    "$root/scripts/sealed-net" "$build/bench/window_bench" "$mode" 2>&2 |
        grep -E '^(ROW|NOTE)' >>"$rows" || echo "window_bench $mode failed" >&2
done

load_after="$(cut -d' ' -f1-3 /proc/loadavg)"
cpu="$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2- | sed 's/^ *//')"
mem="$(awk '/MemTotal/ {printf "%.0f GB", $2 / 1048576}' /proc/meminfo)"
qt="$(dpkg-query -W -f '${Version}' libqt6core6 2>/dev/null || echo unknown)"

echo
echo "Benchmarks of $started on $cpu, $(nproc) cores, $mem, Linux $(uname -r), Qt $qt;"
echo "load average $load_before before, $load_after after (other work shares the machine)."
echo
echo "| measure | figure | baseline (same run) | ratio | target | verdict |"
echo "| --- | --- | --- | --- | --- | --- |"
awk -F'\t' '$1 == "ROW" { printf "| %s | %s | %s | %s | %s | %s |\n", $2, $3, $4, $5, $6, $7 }' "$rows"
echo
awk -F'\t' '$1 == "NOTE" { printf "- %s\n", $2 }' "$rows"
misses="$(awk -F'\t' '$1 == "ROW" && $7 == "MISS"' "$rows" | wc -l)"
echo
echo "$misses target(s) missed."
