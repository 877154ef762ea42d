#!/usr/bin/env bash
# Sets up a fresh Debian machine, builds the launcher and runs every test: clang-tidy's checks,
# the ordinary build,
# the same suite under AddressSanitizer and UndefinedBehaviorSanitizer, the background work under
# ThreadSanitizer, and a short bounded run of each fuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=$(nproc)
cmake --preset default
cmake --build --preset default -j "$jobs"
scripts/check-style.sh --format build/default
ctest --preset default -j "$jobs"

cmake --preset asan
cmake --build --preset asan -j "$jobs"
ctest --preset asan -j "$jobs"

# The work that runs on worker threads, under ThreadSanitizer: the background job and the
# transfers it runs. (Qt itself is not instrumented, so the suites of windows stay out, and so
# do the HTTPS tests, whose test server runs on a QThread fed by Qt's own event queue; the
# transfer itself is the same one the plain HTTP tests run here.)
cmake --preset tsan
cmake --build --preset tsan -j "$jobs" --target menu_core_tests
QT_QPA_PLATFORM=offscreen TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$PWD/tests/tsan.supp" \
  build/tsan/tests/menu_core_tests --gtest_filter='BackgroundJob*:Download*:MenuFill*:DetailCache*:WorkerPool*:-DownloadHttps*'

cmake --preset fuzz
cmake --build --preset fuzz -j "$jobs" --target fuzzers
seconds=${MENU_FUZZ_SECONDS:-20}
for fuzzer in build/fuzz/fuzz/fuzz_*; do
  [ -f "$fuzzer" ] && [ -x "$fuzzer" ] || continue
  name=$(basename "$fuzzer")
  corpus=build/fuzz/corpus/$name
  mkdir -p "$corpus"
  seeds=fuzz/corpus/$name
  [ -d "$seeds" ] || seeds=
  echo "fuzzing $name for ${seconds}s"
  "$fuzzer" -max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=0 "$corpus" $seeds \
    > "build/fuzz/$name.log" 2>&1 || { tail -n 60 "build/fuzz/$name.log"; exit 1; }
done
echo "fuzzers: no fault found"
