#!/usr/bin/env bash
# Fails when a C++ file differs from what clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' 2>/dev/null || true)
((${#files[@]})) || mapfile -t files < <(find src tests bench fuzz -name '*.cpp' -o -name '*.h')
# One clang-format for all files; it names each file that would change.
if ! out=$(clang-format --dry-run --Werror "${files[@]}" 2>&1); then
  grep -o '^[^:]*\.\(cpp\|h\):' <<<"$out" | sort -u | sed 's/:$//; s/^/not formatted: /; s/$/ (run scripts\/format.sh)/'
  exit 1
fi
