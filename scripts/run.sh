#!/usr/bin/env bash
# Sets up the machine, builds Dictrava and runs it: on a desktop (X11) the tray app; without a
# display, the app's main job on the command line — a transcript through the processing of each
# voice mode. With your own text it uses your data folder and settings; the built-in demo runs in
# a temporary folder so it leaves nothing behind.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake -S . -B build >/dev/null
cmake --build build -j"$(nproc)" --target dictrava dictrava-cli

if [ $# -eq 0 ] && [ -n "${DISPLAY:-}" ] && [ "${DICTRAVA_CLI_DEMO:-0}" != 1 ]; then
  exec ./build/src/dictrava
fi

if [ $# -gt 0 ]; then
  text=$1
else
  text="um so tomorrow I need to call Sarah at 3 and then email the report to Tom. also buy milk tonight"
  demo=$(mktemp -d)
  trap 'rm -rf "$demo"' EXIT
  export XDG_DATA_HOME=$demo/data XDG_CONFIG_HOME=$demo/config
fi
for mode in dictate capture focus briefing; do
  echo "== $mode"
  ./build/src/dictrava-cli "$mode" --text "$text"
done
