#!/usr/bin/env bash
# Hostile input: builds the fuzz targets with clang (build-fuzz/) and the whole
# test suite with AddressSanitizer and UndefinedBehaviorSanitizer (build-asan/),
# then runs each fuzz target for FUZZ_SECONDS (default 120) from its seed corpus
# in fuzz/corpus/ and the test suite with ctest, two jobs at a time. Fails on
# any crash, hang, leak, sanitizer report or failing test.
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD
FUZZ_SECONDS=${FUZZ_SECONDS:-120}
TARGETS=(asmbl inflate archive)
# Longest input per target: a source of a few screens, a compressed entry, an
# archive of several entries.
declare -A MAX_LEN=([asmbl]=8192 [inflate]=16384 [archive]=16384)

say() { printf '\n==== %s\n' "$*"; }

# Runs a build step quietly; on failure shows the end of its log and stops.
quietly() {
  local log=$1
  shift
  "$@" >>"$log" 2>&1 || { tail -40 "$log"; echo "FAILED: $* (log $log)"; exit 1; }
}

say "fuzz targets (clang, ASan + UBSan) into build-fuzz/"
mkdir -p build-fuzz build-asan
rm -f build-fuzz/build.log build-asan/build.log
quietly build-fuzz/build.log cmake -S . -B build-fuzz -DKIT_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
quietly build-fuzz/build.log cmake --build build-fuzz -j 2 --target "${TARGETS[@]/#/fuzz_}"

say "the test suite with ASan + UBSan into build-asan/"
quietly build-asan/build.log cmake -S . -B build-asan -DKIT_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_FLAGS_DEBUG="-O1 -g" -DCMAKE_CXX_FLAGS_DEBUG="-O1 -g"
quietly build-asan/build.log cmake --build build-asan -j 2

# One target from the checked-in seeds into its own working corpus (the seeds
# stay untouched); a crash file goes to build-fuzz/artifacts/.
run_target() {
  local target=$1
  local work=build-fuzz/corpus/$target
  mkdir -p "$work" build-fuzz/artifacts build-fuzz/run
  if (cd build-fuzz/run && "$ROOT/build-fuzz/fuzz/fuzz_$target" "$ROOT/$work" "$ROOT/fuzz/corpus/$target" \
    -max_total_time="$FUZZ_SECONDS" -max_len="${MAX_LEN[$target]}" -timeout=30 -rss_limit_mb=2560 \
    -print_final_stats=1 -artifact_prefix="$ROOT/build-fuzz/artifacts/$target-") \
    >"build-fuzz/$target.log" 2>&1; then
    echo ok >"build-fuzz/$target.status"
  else
    echo failed >"build-fuzz/$target.status"
  fi
}

say "fuzzing ${TARGETS[*]} for ${FUZZ_SECONDS} s each, and the sanitized test suite"
rm -f build-fuzz/*.status
run_target asmbl &
ASAN_STATUS=0
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j 1 >build-asan/ctest.log 2>&1 || ASAN_STATUS=1
wait
run_target inflate &
run_target archive &
wait

say "results"
FUZZ_STATUS=0
for target in "${TARGETS[@]}"; do
  log=build-fuzz/$target.log
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$(cat "build-fuzz/$target.status" 2>/dev/null)" = ok ]; then
    printf 'fuzz_%-8s clean: %s executions in %s s\n' "$target" "${runs:-?}" "$FUZZ_SECONDS"
  else
    FUZZ_STATUS=1
    printf 'fuzz_%-8s FAILED after %s executions (log %s):\n' "$target" "${runs:-?}" "$log"
    grep -E 'ERROR|SUMMARY|runtime error|Test unit written|deadly signal|timeout' "$log" | head -20
  fi
done
tail -3 build-asan/ctest.log
if [ "$ASAN_STATUS" = 0 ]; then
  echo "sanitized test suite: clean"
else
  echo "sanitized test suite: FAILED (log build-asan/ctest.log):"
  grep -E '^ *[0-9]+ - |ERROR: |runtime error' build-asan/ctest.log | head -30
fi
[ "$FUZZ_STATUS" = 0 ] && [ "$ASAN_STATUS" = 0 ]
