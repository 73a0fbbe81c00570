#!/usr/bin/env bash
# Builds the fuzz targets (preset fuzz: clang, libFuzzer, ASan + UBSan) and runs each in turn for the
# given number of seconds (default 600), from its committed seed corpus. A target's findings land in
# build/fuzz/findings/<target>; the run stops at the first target with a finding.
# Usage: scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-600}
shift || true
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(font_package_fuzz frame_finder_fuzz serial_exchange_fuzz speed_file_fuzz usb_exchange_fuzz)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

root=$PWD
for target in "${targets[@]}"; do
  work=build/fuzz/runs/$target
  findings=build/fuzz/findings/$target
  mkdir -p "$work" "$findings"
  echo "== $target, ${seconds} s"
  # Every corpus path absolute: a target may work in a directory of its own. -rss_limit_mb holds memory
  # to a bound; -timeout makes a hang a finding.
  (cd "$work" && "$root/build/fuzz/fuzz/$target" -max_total_time="$seconds" -rss_limit_mb=1024 -timeout=20 \
    -max_len=8192 -print_final_stats=1 -artifact_prefix="$root/$findings/" \
    "$root/$work" "$root/fuzz/corpus/$target" >"$root/$work/log" 2>&1) || {
    tail -n 40 "$work/log"
    echo "$target: finding in $findings" >&2
    exit 1
  }
  grep -E '^stat::number_of_executed_units|^stat::peak_rss_mb' "$work/log" | sed "s/^/$target /"
done
