#!/usr/bin/env bash
# bench-windows.sh: runs the Windows program's benchmarks under Wine (after
# scripts/build-windows.sh) inside scripts/sealed-net and prints their rows of the
# benchmark table: start-up to the first painted face and peak working set beside a
# minimal Win32 dialog program started the same way (median of 9 each, alternating), the
# 999-contact phonebook shown, and the size of the .exe. Two rows without a target help
# read the start-up rows: the minimal dialog again with the program's resources (its
# common controls 6 manifest). Never fails on a slow machine: a missed target is a "MISS"
# row.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${1:-}" in
-h | --help) sed -n '2,9p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
esac
win="$root/build-win/win"
"$root/tests/win/wine-prefix" "$root/build-win/wine-prefix"
exec "$root/scripts/sealed-net" "$root/tests/win/on-xvfb" python3 - "$root" "$win" <<'PY'
import os, statistics, subprocess, sys, time

root, win = sys.argv[1], sys.argv[2]
run = os.path.join(root, "tests/win/wine-run")
bench = os.path.join(win, "bench-win")
exe = os.path.join(win, "src/win/orvane-dialer.exe")

def start(program):
    t0 = time.monotonic()
    p = subprocess.Popen([run, program], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         cwd=bench)
    line = p.stdout.readline().decode()
    while line and not line.startswith("painted "):  # the dialer's trace line at start
        line = p.stdout.readline().decode()
    t1 = time.monotonic()
    p.wait()
    if not line.startswith("painted "):
        raise SystemExit("bench-windows: %s printed %r" % (program, line))
    return (t1 - t0) * 1000.0, int(line.split()[1]) / 1e6

# Wine's own server up and warm first, so neither program pays for it.
start(os.path.join(bench, "win_startup_minimal.exe"))
face, minimal, minimal6 = [], [], []
for _ in range(int(os.environ.get("ORVANE_BENCH_STARTS", "9"))):
    minimal.append(start(os.path.join(bench, "win_startup_minimal.exe")))
    face.append(start(os.path.join(bench, "win_startup_face.exe")))
    minimal6.append(start(os.path.join(bench, "win_startup_minimal_v6.exe")))
fm = statistics.median(t for t, _ in face)
mm = statistics.median(t for t, _ in minimal)
m6 = statistics.median(t for t, _ in minimal6)
fw = max(w for _, w in face)
mw = max(w for _, w in minimal)
m6w = max(w for _, w in minimal6)

out = subprocess.run([run, os.path.join(bench, "win_phonebook.exe")], capture_output=True,
                     text=True, cwd=bench).stdout
values = dict(l.split() for l in out.splitlines()
              if len(l.split()) == 2 and l.split()[0] in ("phonebook", "bare", "datagrams"))
pb, bare, count = float(values["phonebook"]) / 1000, float(values["bare"]) / 1000, values["datagrams"]
size = os.path.getsize(exe) / 1e6

def row(measure, figure, baseline, ratio, target, ok):
    print("| %s | %s | %s | %s | %s | %s |" % (measure, figure, baseline, ratio, target,
                                              "-" if ok is None else ("ok" if ok else "MISS")))

print("| measure | figure | baseline (same run) | ratio | target | verdict |")
print("| --- | --- | --- | --- | --- | --- |")
row("Windows, under Wine: start-up to the first painted face (median of %d)" % len(face),
    "%.0f ms" % fm,
    "%.0f ms (minimal Win32 dialog)" % mm, "%.2fx" % (fm / mm), "<= 1.3x", fm / mm <= 1.3)
row("Windows, under Wine: peak working set at the first painted face", "%.1f MB" % fw,
    "%.1f MB (minimal Win32 dialog)" % mw, "%.2fx" % (fw / mw), "<= 1.3x", fw / mw <= 1.3)
row("  the same minimal dialog with the program's resources (common controls 6 manifest, "
    "icon, version): start-up", "%.0f ms" % m6, "%.0f ms (minimal Win32 dialog)" % mm,
    "%.2fx" % (m6 / mm), "-", None)
row("  the same minimal dialog with the program's resources: peak working set", "%.1f MB" % m6w,
    "%.1f MB (minimal Win32 dialog)" % mw, "%.2fx" % (m6w / mw), "-", None)
row("Windows, under Wine: 999-contact phonebook in %s datagrams, first send .. shown whole "
    "(median of 15)" % count, "%.2f ms" % pb, "%.2f ms (bare Winsock reader)" % bare,
    "%.2fx" % (pb / bare), "<= 10 ms", pb <= 10)
row("Windows: orvane-dialer.exe size (static, stripped)", "%.2f MB" % size, "-", "-", "<= 4 MB",
    size <= 4)
PY
