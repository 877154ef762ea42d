#!/usr/bin/env bash
# Fails on a format difference in the C++ sources (.clang-format) or a clang-tidy finding in
# src/ (.clang-tidy). Needs a configured build for its compile commands (default:
# build/default).
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}

mapfile -t sources < <(git ls-files '*.cpp' '*.h' '*.c')
clang-format --dry-run --Werror "${sources[@]}"
echo "format: no difference"

# Only the files this build compiles (the Windows side is checked by its own compiler).
run-clang-tidy -p "$build" -j "$(nproc)" -quiet "$PWD/src/" > "$build/clang-tidy.log" 2>&1 || {
  sed 's/\x1b\[[0-9;]*m//g' "$build/clang-tidy.log" | grep -E -A3 'error:|warning:' | head -n 200
  exit 1
}
echo "clang-tidy: no finding"
