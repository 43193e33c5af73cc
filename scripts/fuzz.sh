#!/usr/bin/env bash
# Builds the fuzz targets with clang (libFuzzer with AddressSanitizer and
# UndefinedBehaviorSanitizer) in ./build-fuzz and runs each one on its corpus.
#   ./scripts/fuzz.sh                  every target for 60 seconds
#   ./scripts/fuzz.sh 600              every target for ten minutes
#   ./scripts/fuzz.sh 30 selection     one target (or several) for 30 seconds
# The stored corpus (tests/fuzz/corpus/<target>/) is read, never written: new inputs go to
# build-fuzz/corpus/<target>/, and an input that finds a fault to build-fuzz/findings/<target>/,
# which fails the run. Once the fault is fixed, copy that input into the stored corpus so the
# ordinary tests replay it.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
"$root/scripts/install-deps.sh"
build="${ZX_FUZZ_BUILD_DIR:-$root/build-fuzz}"
CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBUILD_TESTING=OFF -DZX_SANITIZE=ON -DZX_FUZZ=ON >/dev/null
cmake --build "$build" --target zx_fuzzers --parallel "${ZX_JOBS:-$(nproc)}"

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for f in "$build"/fuzz/*_fuzz; do targets+=("$(basename "$f" _fuzz)"); done
fi
export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
status=0
summary=()
for t in "${targets[@]}"; do
  work="$build/corpus/$t"
  findings="$build/findings/$t"
  mkdir -p "$work" "$findings"
  log="$build/fuzz-$t.log"
  echo "== $t ($seconds s)"
  if (cd "$build" && "$build/fuzz/${t}_fuzz" -max_total_time="$seconds" -timeout=10 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" \
        "$work" "$root/tests/fuzz/corpus/$t") >"$log" 2>&1; then
    rate=$(grep -m1 'stat::average_exec_per_sec' "$log" | awk '{print $2}')
    runs=$(grep -m1 'stat::number_of_executed_units' "$log" | awk '{print $2}')
    summary+=("$t: ${runs:-?} inputs, ${rate:-?} a second, nothing found")
  else
    status=1
    tail -40 "$log"
    summary+=("$t: FOUND A FAULT (input in $findings, log in $log)")
  fi
done
printf '%s\n' "${summary[@]}"
exit $status
