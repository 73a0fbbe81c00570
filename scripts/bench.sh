#!/usr/bin/env bash
# Runs every benchmark of the Release build, then, where the Windows build exists, the Windows station's
# pace under Wine against the Linux station's (scripts/wine-bench.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
for bench in build/release/bench/*_bench; do
  echo "== ${bench##*/}"
  "$bench" "$@"
done
if [[ -x build/windows/front/console/quillon-cli.exe ]] && command -v wine >/dev/null; then
  echo "== wine-bench"
  scripts/wine-bench.sh
fi
