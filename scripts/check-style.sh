#!/usr/bin/env bash
# Fails on a clang-tidy finding in src/ (.clang-tidy) and, with --format, on a format difference
# in the C++ sources (.clang-format). Needs a configured build for its compile commands
# (default: build/default).
#
#   scripts/check-style.sh [--format] [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/.."
format=0
if [ "${1:-}" = "--format" ]; then
  format=1
  shift
fi
build=${1:-build/default}

if [ "$format" = 1 ]; then
  mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c')
  clang-format --dry-run --Werror "${sources[@]}"
  echo "format: no difference"
fi

# Only the files this build compiles (the Windows side is checked by its own compiler).
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "$PWD/src/" > "$build/clang-tidy.log" 2>&1 || {
  sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" | grep -E -A3 'error:|warning:' | head -n 200
  exit 1
}
echo "clang-tidy: no finding"
