#!/usr/bin/env bash
# fuzz/run.sh SECONDS [TARGET...]: builds the libFuzzer targets with clang, AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs each for SECONDS (default 60) on its seed corpus.
# Targets: incoming discovery private_contacts settings (default: all).
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
[ ${#targets[@]} -gt 0 ] || targets=(incoming discovery private_contacts settings)
build=${FUZZ_BUILD_DIR:-$top/build-fuzz}
san="-fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer"
CC=clang CXX=clang++ cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DORVANE_FUZZ=ON -DORVANE_BUILD_QT=OFF -DORVANE_BUILD_TESTS=OFF -DORVANE_BUILD_BENCH=OFF \
  -DORVANE_BUILD_PHONESIM=OFF -DCMAKE_CXX_FLAGS="$san -fsanitize=fuzzer-no-link" >/dev/null
cmake --build "$build" -j"$(nproc)" --target $(printf 'fuzz_%s ' "${targets[@]}") >/dev/null
status=0
for t in "${targets[@]}"; do
  work="$build/corpus-$t"
  mkdir -p "$work"
  echo "== fuzz_$t for ${seconds}s"
  # New inputs go to a scratch copy; the seeds in the repository stay as they are.
  if ! "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -max_len=8192 -rss_limit_mb=2048 \
      -artifact_prefix="$build/crash-$t-" "$work" "$here/corpus/$t" 2>"$build/fuzz_$t.log"; then
    status=1
    tail -n 40 "$build/fuzz_$t.log"
  fi
  grep -E '^(#[0-9]+\s+DONE|Done [0-9]+ runs)' "$build/fuzz_$t.log" | tail -n 1 || true
done
exit $status
