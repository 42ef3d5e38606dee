#!/usr/bin/env bash
# Builds the libFuzzer harnesses with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and
# runs each for a bounded time, starting from the seed corpus in fuzz/corpus. Prints each
# harness's number of runs; a crash stops the script with the reproducing input saved in
# build-fuzz/crashes. DICTRAVA_FUZZ_SECONDS sets the time per harness (default 20).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${DICTRAVA_FUZZ_SECONDS:-20}
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DDICTRAVA_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz --target fuzzers -j"$(nproc)"

mkdir -p build-fuzz/crashes
for harness in JsonRecordsFuzzer TaskParserFuzzer FocusParserFuzzer WavInputFuzzer; do
  # New inputs go to a scratch folder; the seeds in the repository stay as they are.
  work=$(mktemp -d)
  cp fuzz/corpus/"$harness"/* "$work"/
  log=build-fuzz/"$harness".log
  if ! TZ=Europe/Berlin LC_ALL=C.UTF-8 build-fuzz/fuzz/"$harness" -max_total_time="$seconds" -timeout=20 \
      -rss_limit_mb=2048 -max_len=16384 -print_final_stats=1 \
      -artifact_prefix=build-fuzz/crashes/"$harness"- "$work" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "fuzz: $harness failed; the input is in build-fuzz/crashes" >&2
    exit 1
  fi
  echo "fuzz: $harness $(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$') runs" \
       "in ${seconds} s, corpus $(ls "$work" | wc -l) inputs"
  rm -rf "$work"
done
