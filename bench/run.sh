#!/usr/bin/env bash
# Builds optimised and runs every benchmark, one core each.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build-bench -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench -j"$(nproc)"
for b in build-bench/bench/*Bench; do
  echo "== $(basename "$b")"
  case "$b" in
    # Windows need a display: a private one, so the numbers do not depend on the desktop.
    *WindowBench) xvfb-run -a -s "-screen 0 1280x800x24" taskset -c 0 "$b" ;;
    *) taskset -c 0 "$b" ;;
  esac
done
