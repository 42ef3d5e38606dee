#!/usr/bin/env bash
# Sets up the machine, builds Dictrava and runs its main job on a spoken-style text.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target dictrava-cli

text=${1:-"um so tomorrow I need to call Sarah at 3 and then email the report to Tom. also buy milk tonight"}
for mode in dictate capture focus; do
  echo "== $mode"
  ./build/src/dictrava-cli "$mode" --text "$text"
done
