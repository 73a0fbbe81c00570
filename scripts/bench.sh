#!/usr/bin/env bash
# Runs every benchmark of the Release build and a gang of eight slots against one slot alone
# (scripts/gang-bench.sh), then, where the Windows build exists, the Windows station's pace under Wine
# against the Linux station's (scripts/wine-bench.sh) and a gang of four under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
for bench in build/release/bench/*_bench; do
  echo "== ${bench##*/}"
  "$bench" "$@"
done
echo "== gang-bench 8"
scripts/gang-bench.sh 8
if [[ -x build/windows/front/console/quillon-cli.exe ]] && command -v wine >/dev/null; then
  echo "== wine-bench"
  scripts/wine-bench.sh
  echo "== gang-bench 4 under Wine"
  CLI="wine $PWD/build/windows/front/console/quillon-cli.exe" scripts/gang-bench.sh 4
fi
