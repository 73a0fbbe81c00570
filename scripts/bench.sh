#!/usr/bin/env bash
# Runs every benchmark of the Release build.
set -euo pipefail
cd "$(dirname "$0")/.."
for bench in build/release/bench/*_bench; do
  echo "== ${bench##*/}"
  "$bench" "$@"
done
