#!/usr/bin/env bash
# Sets up the machine, builds Dictrava once with AddressSanitizer + UndefinedBehaviorSanitizer and
# warnings as errors, runs the whole test suite on it, builds, installs and removes the Debian
# package (the optimised build), then runs the fuzz harnesses for a bounded time.
#   DICTRAVA_SKIP_SANITIZERS=1  build and test without sanitizers (quicker, in build/)
#   DICTRAVA_SKIP_PACKAGE=1     leave out the package
#   DICTRAVA_SKIP_FUZZ=1        leave out the fuzz harnesses
set -euo pipefail
cd "$(dirname "$0")/.."
started=$SECONDS
stage() { echo "test.sh: $1 done at $((SECONDS - started)) s"; }
./scripts/setup.sh
stage setup

jobs=$(nproc)
if [ "${DICTRAVA_SKIP_SANITIZERS:-0}" = 1 ]; then
  cmake -S . -B build -DDICTRAVA_WERROR=ON >/dev/null
  cmake --build build -j"$jobs"
  stage build
  ctest --test-dir build --output-on-failure -j"$jobs"
else
  # Line tables are all a sanitizer's report needs; full debug information only slows the build.
  cmake -S . -B build-asan -DDICTRAVA_WERROR=ON -DDICTRAVA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS_DEBUG=-g1 >/dev/null
  cmake --build build-asan -j"$jobs"
  stage build
  ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
    ctest --test-dir build-asan --output-on-failure -j"$jobs"
fi
stage tests

if [ "${DICTRAVA_SKIP_PACKAGE:-0}" != 1 ]; then
  ./scripts/package-test.sh
  stage package
fi

if [ "${DICTRAVA_SKIP_FUZZ:-0}" != 1 ]; then
  ./scripts/fuzz.sh
  stage fuzz
fi
