#!/usr/bin/env bash
# Sets up the machine, builds Dictrava twice (plain with warnings as errors, and with
# AddressSanitizer + UndefinedBehaviorSanitizer), runs the whole test suite on both, then runs
# the fuzz harnesses for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
stage() { echo "test.sh: $1 done at $((SECONDS - started)) s"; }
./scripts/setup.sh
stage setup

jobs=$(nproc)
cmake -S . -B build -DDICTRAVA_WERROR=ON >/dev/null
cmake --build build -j"$jobs"
stage build
ctest --test-dir build --output-on-failure -j"$jobs"
stage tests

if [ "${DICTRAVA_SKIP_SANITIZERS:-0}" != 1 ]; then
  cmake -S . -B build-asan -DDICTRAVA_WERROR=ON -DDICTRAVA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build build-asan -j"$jobs"
  stage "sanitizer build"
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs" -E '^format$'
  stage "sanitizer tests"
fi

if [ "${DICTRAVA_SKIP_FUZZ:-0}" != 1 ]; then
  ./scripts/fuzz.sh
  stage fuzz
fi
