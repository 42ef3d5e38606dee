#!/usr/bin/env bash
# Builds optimised and runs every benchmark, one core each.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j"$(nproc)"
for b in build-bench/bench/*Bench; do
  echo "== $(basename "$b")"
  taskset -c 0 "$b"
done
