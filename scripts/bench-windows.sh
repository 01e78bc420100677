#!/usr/bin/env bash
# bench-windows.sh: runs the Windows program's benchmarks under Wine (after
# scripts/build-windows.sh) inside scripts/sealed-net and prints their rows of the
# benchmark table: start-up to the first painted face and peak working set beside a
# minimal Win32 dialog program started the same way (median of 9 each, alternating), the
# 999-contact phonebook shown, and the size of the .exe. Rows without a target help read
# the others: the minimal dialog again with the program's resources (its common controls 6
# manifest), and with as many plain buttons as the face shows windows; the same 999 rows
# given to a bare list view. Never fails on a slow machine: a missed target is a "MISS"
# row.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
case "${1:-}" in
-h | --help) sed -n '2,10p' "${BASH_SOURCE[0]}" | sed 's/^# \{0,1\}//'; exit 0 ;;
esac
win="$root/build-win/win"
"$root/tests/win/wine-prefix" "$root/build-win/wine-prefix"
exec "$root/scripts/sealed-net" "$root/tests/win/on-xvfb" python3 - "$root" "$win" <<'PY'
import os, statistics, subprocess, sys, time

root, win = sys.argv[1], sys.argv[2]
run = os.path.join(root, "tests/win/wine-run")
bench = os.path.join(win, "bench-win")
exe = os.path.join(win, "src/win/orvane-dialer.exe")

def start(program, *args):
    t0 = time.monotonic()
    p = subprocess.Popen([run, program, *args], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                         cwd=bench)
    line = p.stdout.readline().decode()
    while line and not line.startswith("painted "):  # the dialer's trace line at start
        line = p.stdout.readline().decode()
    t1 = time.monotonic()
    p.wait()
    if not line.startswith("painted "):
        raise SystemExit("bench-windows: %s printed %r" % (program, line))
    fields = line.split()
    return (t1 - t0) * 1000.0, int(fields[1]) / 1e6, int(fields[2]) if len(fields) > 2 else 0

# Wine's own server up and warm first, so neither program pays for it; the face's first
# start also tells how many windows it shows.
start(os.path.join(bench, "win_startup_minimal.exe"))
windows = start(os.path.join(bench, "win_startup_face.exe"))[2]
face, minimal, minimal6, buttons = [], [], [], []
for _ in range(int(os.environ.get("ORVANE_BENCH_STARTS", "9"))):
    minimal.append(start(os.path.join(bench, "win_startup_minimal.exe")))
    face.append(start(os.path.join(bench, "win_startup_face.exe")))
    minimal6.append(start(os.path.join(bench, "win_startup_minimal_v6.exe")))
    buttons.append(start(os.path.join(bench, "win_startup_minimal_v6.exe"), str(windows)))
fm = statistics.median(t for t, _, _ in face)
mm = statistics.median(t for t, _, _ in minimal)
m6 = statistics.median(t for t, _, _ in minimal6)
bm = statistics.median(t for t, _, _ in buttons)
fw = max(w for _, w, _ in face)
mw = max(w for _, w, _ in minimal)
m6w = max(w for _, w, _ in minimal6)
bw = max(w for _, w, _ in buttons)

out = subprocess.run([run, os.path.join(bench, "win_phonebook.exe")], capture_output=True,
                     text=True, cwd=bench).stdout
values = dict(l.split() for l in out.splitlines()
              if len(l.split()) == 2 and l.split()[0] in ("phonebook", "bare", "datagrams",
                                                          "painting", "listview"))
pb, bare, count = float(values["phonebook"]) / 1000, float(values["bare"]) / 1000, values["datagrams"]
painting, listview = float(values["painting"]) / 1000, float(values["listview"]) / 1000
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
row("  the same, with %d plain buttons more (as many windows as the face shows): start-up"
    % windows, "%.0f ms" % bm, "%.0f ms (minimal Win32 dialog)" % mm, "%.2fx" % (bm / mm), "-",
    None)
row("  the same, with %d plain buttons more: peak working set" % windows, "%.1f MB" % bw,
    "%.1f MB (minimal Win32 dialog)" % mw, "%.2fx" % (bw / mw), "-", None)
row("Windows, under Wine: 999-contact phonebook in %s datagrams, first send .. shown whole "
    "(median of 15)" % count, "%.2f ms" % pb, "%.2f ms (bare Winsock reader)" % bare,
    "%.2fx" % (pb / bare), "<= 10 ms", pb <= 10)
row("  of which painting the window (its paint messages; median of 15)", "%.2f ms" % painting,
    "-", "-", "-", None)
row("  a bare list view as large, with the same columns, given the 999 rows at once: painted "
    "(median of 15)", "%.2f ms" % listview, "-", "-", "-", None)
row("Windows: orvane-dialer.exe size (static, stripped)", "%.2f MB" % size, "-", "-", "<= 4 MB",
    size <= 4)
PY
