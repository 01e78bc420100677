#!/usr/bin/env bash
# fuzz/run.sh SECONDS [TARGET...]: builds the libFuzzer targets with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs each for SECONDS (default 60) on its seed corpus.
# Targets: incoming discovery private_contacts (default: all).
# FUZZ_JOBS=N runs N fuzzer processes per target side by side on one corpus (libFuzzer's
# -jobs), for long runs; the inputs of all of them are added up.
set -euo pipefail
case "${1:-}" in
-h | --help)
  sed -n '2,4p' "$0" | sed 's/^# \{0,1\}//'
  exit 0
  ;;
esac
here=$(cd "$(dirname "$0")" && pwd)
top=$(dirname "$here")
seconds=${1:-60}
shift || true
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(incoming discovery private_contacts)
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
jobs=${FUZZ_JOBS:-1}
san="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_FUZZ=ON -DORVANE_BUILD_QT=OFF -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCHMARKS=OFF \
  -DORVANE_BUILD_PHONESIM=OFF -DCMAKE_CXX_FLAGS="$san -fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null
status=0
for t in "${targets[@]}"; do
  work="$build/corpus-$t"
  mkdir -p "$work"
  echo "== fuzz_$t for ${seconds}s"
  # New inputs go to a scratch copy; the seeds in the repository stay as they are.
  args=(-max_total_time="$seconds" -max_len=8192 -rss_limit_mb=2048 -print_final_stats=1
        -artifact_prefix="$build/crash-$t-" "$work" "$here/corpus/$t")
  if [ "$jobs" -gt 1 ]; then
    # Each process writes fuzz-K.log in the working directory.
    rm -f "$build"/fuzz-*.log
    if ! (cd "$build" && "$build/fuzz/fuzz_$t" -jobs="$jobs" -workers="$jobs" "${args[@]}" \
        >"$build/fuzz_$t.log" 2>&1); then
      status=1
    fi
    cat "$build"/fuzz-*.log >>"$build/fuzz_$t.log"
    ls "$build"/crash-"$t"-* >/dev/null 2>&1 && status=1
    awk '/^stat::number_of_executed_units:/ { runs += $2; n++ }
         END { printf "Done %d runs in %d processes\n", runs, n }' "$build"/fuzz-*.log
  else
    if ! "$build/fuzz/fuzz_$t" "${args[@]}" 2>"$build/fuzz_$t.log"; then
      status=1
      tail -n 40 "$build/fuzz_$t.log"
    fi
    grep -E '^(#[0-9]+\s+DONE|Done [0-9]+ runs)' "$build/fuzz_$t.log" | tail -n 1 || true
  fi
done
exit $status
