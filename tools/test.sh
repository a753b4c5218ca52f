#!/usr/bin/env bash
# Builds and runs the whole test suite: once as it ships, once with
# AddressSanitizer and UndefinedBehaviorSanitizer; between the two, the Debian
# package is made from the first build and checked. Window tests run on Qt's
# offscreen platform; the tests that need a real X server (bringing a sibling
# program forward) run under xvfb-run. The cases on the office server engine
# run against a PostgreSQL server that ctest starts itself in a temporary folder
# (tools/pg_test_server.sh); CI requires it, so a server that cannot start fails
# the run rather than skipping those cases.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/dependencies.sh
jobs=$(nproc)
# The tests that read the Jet sample files (../shared/jet) fail rather than skip without them.
export QUENVOL_REQUIRE_JET_SAMPLES=1

run_suite() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DQUENVOL_REQUIRE_PG=ON "$@"
  cmake --build "$dir" -j "$jobs"
  # -noreset: a display that resets whenever its last client leaves refuses a
  # client connecting in that moment.
  (cd "$dir" && xvfb-run -a -s "-screen 0 1280x1024x8 -noreset" ctest --output-on-failure -j "$jobs")
}

# The Debian package from the test build (no second build): file list, control
# fields, the installed programs, the manual pages, the desktop entry, the
# AppStream metadata and lintian.
check_package() {
  local deb
  deb=$(tools/package.sh "$1" | tail -n 1)
  tests/package/check_package.sh "$deb"
}

# The libFuzzer targets, built with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, each run for a short while from its seed corpus
# (what they find goes to a temporary folder, not into the repository).
run_fuzz() {
  local dir=build-fuzz seconds=${QUENVOL_FUZZ_SECONDS:-50}
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DQUENVOL_FUZZ=ON -DQUENVOL_TESTS=OFF -DQUENVOL_BENCH=OFF -DQUENVOL_MANUAL=OFF
  cmake --build "$dir" -j "$jobs" --target fuzz_profile fuzz_cp1252 fuzz_numbers
  local target found
  for target in profile cp1252 numbers; do
    found=$(mktemp -d)
    "$dir/tests/fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -detect_leaks=0 \
        "$found" "tests/fuzz/corpus/$target"
    rm -rf "$found"
  done
}

run_suite build-tests -DCMAKE_BUILD_TYPE=RelWithDebInfo
check_package build-tests
if [ "${QUENVOL_SKIP_SANITIZERS:-0}" != 1 ]; then
  export ASAN_OPTIONS=detect_leaks=0
  export UBSAN_OPTIONS=print_stacktrace=1
  run_suite build-sanitize -DCMAKE_BUILD_TYPE=Debug -DQUENVOL_SANITIZE=ON -DQUENVOL_BENCH=OFF -DQUENVOL_MANUAL=OFF
fi
if [ "${QUENVOL_SKIP_FUZZ:-0}" != 1 ]; then
  run_fuzz
fi
