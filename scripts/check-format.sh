#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what the repository's .clang-format makes of it.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/check-format.$$; then
  grep -E '^[^ ].*(warning|error):' /tmp/check-format.$$ | cut -d: -f1 | sort -u | sed 's/^/check-format: not formatted: /' >&2
  rm -f /tmp/check-format.$$
  echo "check-format: run clang-format -i on the files above" >&2
  exit 1
fi
rm -f /tmp/check-format.$$
