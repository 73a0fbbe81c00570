#!/usr/bin/env bash
# A production line's gang on this machine: SLOTS simulated devices paced at 460800 baud (one
# quillon-devsim --devices SLOTS beside the stations, sharing the machine as a real line's adapters do not),
# written at once by one gang command, against one slot alone in the same run. Prints each rate, the
# total page rate against SLOTS times one slot's, and the stations' processor time per page (the
# command and every slot together, the simulators not counted).
#   scripts/gang-bench.sh [SLOTS] [PACKAGE]   (default 8 large-ascii; CLI=… for another quillon-cli,
#                                              e.g. "wine $PWD/build/windows/front/console/quillon-cli.exe",
#                                              an absolute path: it runs in a scratch folder;
#                                              ANSWER_DELAY=US[:JITTER] for a device that answers late)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
slots=${1:-8}
package=${2:-large-ascii}
cli=${CLI:-$root/build/release/front/console/quillon-cli}
sim=$root/build/release/sim/quillon-devsim
work=$(mktemp -d)
devsims=()
cleanup() {
  for pid in "${devsims[@]}"; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
"$root/build/release/tools/quillon-samplegen" . >/dev/null

"$sim" --devices "$slots" --link "$work/tty" --baud-delay 460800 ${ANSWER_DELAY:+--answer-delay $ANSWER_DELAY} \
  >/dev/null 2>&1 &
devsims+=($!)
# Under Wine each device is a COM port, COM61 onwards, linked to its tty in the prefix.
under_wine=
[[ $cli == wine* ]] && under_wine=1
port_of() {
  if [[ -n $under_wine ]]; then
    echo "COM$((60 + $1))"
  else
    echo "$work/tty$1"
  fi
}
if [[ -n $under_wine ]]; then
  for ((k = 1; k <= slots; k++)); do
    ln -sfn "$work/tty$k" "${WINEPREFIX:-$HOME/.wine}/dosdevices/com$((60 + k))"
  done
fi
ports=()
for ((k = 1; k <= slots; k++)); do ports+=(--port "$(port_of "$k")"); done
for ((k = 1; k <= slots; k++)); do
  for _ in $(seq 50); do [[ -e $work/tty$k ]] && break; sleep 0.1; done
done

# The rate of each slot over its writing: its last progress event's pages and seconds since the first.
rates() {
  sed -n 's/.*"event":"progress","slot":\([0-9]*\),"unit":[0-9]*,"done":\([0-9]*\),"pages":\2,"seconds":\([0-9.]*\).*/\1 \2 \3/p' "$1" |
    awk '{ rate[$1] = ($2 - 1) / $3 } END { for (s in rate) printf "%d %.2f\n", s, rate[s] }' | sort -n
}

$cli write "$package" --port "$(port_of 1)" --json --quiet >alone.jsonl 2>/dev/null
alone=$(rates alone.jsonl | awk '{ print $2 }')
/usr/bin/time -f "%U %S" -o gang.time $cli write "$package" "${ports[@]}" --json --quiet >gang.jsonl 2>/dev/null
total=$(rates gang.jsonl | awk '{ sum += $2 } END { printf "%.2f", sum }')
pages=$(sed -n 's/.*"event":"ended".*"pages":\([0-9]*\),"result":"complete".*/\1/p' gang.jsonl | awk '{ sum += $1 } END { print sum }')
completed=$(grep -c '"event":"ended".*"result":"complete"' gang.jsonl || true)
read -r user system <gang.time

echo "one slot alone: $alone pages/s"
rates gang.jsonl | awk '{ printf "slot %d: %s pages/s\n", $1, $2 }'
awk -v total="$total" -v alone="$alone" -v slots="$slots" -v completed="$completed" \
  -v cpu="$(echo "$user + $system" | bc)" -v pages="$pages" -v wine="$under_wine" 'BEGIN {
    printf "gang of %d (%d completed): %.1f pages/s, %.1f %% of %d x one slot alone\n", slots, completed, total, 100 * total / (slots * alone), slots
    if (wine) print "stations processor time: not measured under Wine (the slots run beside wine itself)"
    else printf "stations processor time: %.2f ms a page a slot (%.2f s for %d pages)\n", 1000 * cpu / pages, cpu, pages
  }'
