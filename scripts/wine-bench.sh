#!/usr/bin/env bash
# The Windows station's pace against the Linux station's, in the same run, on the same paced simulator:
# quillon-cli.exe under Wine through a Wine COM port, and the Linux quillon-cli on the simulator's tty,
# writing the large-ascii package (174 pages) in turns. Then what one answer costs each in system calls:
# the Linux station's (strace -c -f), the Windows station's Linux system calls under Wine (strace -c -f
# of the Wine process; the wineserver's own are not counted) and its Win32 calls (Wine's relay trace of
# the calls the station's .exe makes, over a 10-page package).
#
#   scripts/wine-bench.sh [ROUNDS] [-- DEVSIM OPTION...]     (default: 3 rounds, --baud-delay 460800)
#
# QUILLON_BENCH_COM (default 60) is the Wine COM port number used.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
rounds=${1:-3}
shift || true
[[ ${1:-} == -- ]] && shift
devsimOptions=("$@")
[[ ${#devsimOptions[@]} -eq 0 ]] && devsimOptions=(--baud-delay 460800)

devsim=$root/build/release/sim/quillon-devsim
linuxCli=$root/build/release/front/console/quillon-cli
windowsCli=$root/build/windows/front/console/quillon-cli.exe
samplegen=$root/build/release/tools/quillon-samplegen
for program in "$devsim" "$linuxCli" "$windowsCli" "$samplegen"; do
  [[ -x $program ]] || { echo "wine-bench: $program is not built" >&2; exit 1; }
done
prefix=${WINEPREFIX:-$HOME/.wine}
com=${QUILLON_BENCH_COM:-60}
comLink=$prefix/dosdevices/com$com

work=$(mktemp -d)
simPid=
cleanup() {
  [[ -n $simPid ]] && kill "$simPid" 2>/dev/null && wait "$simPid" 2>/dev/null
  rm -f "$comLink"
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
"$samplegen" . >/dev/null 2>&1
mkdir small
# Ten pages: the package's first 79 records and an end record.
head -80 Bigfont.txt >small/Bigfont.txt
echo ":00000001FF" >>small/Bigfont.txt
export WINEDEBUG=-all

startSim() {
  rm -f "$work/tty"
  "$devsim" --link "$work/tty" "${devsimOptions[@]}" >/dev/null &
  simPid=$!
  for _ in $(seq 100); do [[ -e $work/tty ]] && break; sleep 0.05; done
  ln -sf "$(readlink -f "$work/tty")" "$comLink"
}
stopSim() {
  kill "$simPid"
  wait "$simPid" 2>/dev/null || true
  simPid=
  rm -f "$comLink"
}
# The rate the station states at the end of the job.
pagesPerSecond() { grep -a -o '100 %  [0-9.]* pages/s' "$1" | tail -1 | awk '{print $3}'; }

# run linux|windows [wrapper...]: one job, in the current directory, its output in out.txt.
run() {
  local kind=$1
  shift
  startSim
  if [[ $kind == linux ]]; then
    "$@" "$linuxCli" write large-ascii --port "$work/tty" >out.txt 2>&1 || true
  else
    "$@" wine "$windowsCli" write large-ascii --port "COM$com" >out.txt 2>&1 || true
  fi
  stopSim
}

echo "== Page rate, simulator ${devsimOptions[*]}, large-ascii (174 pages)"
wine wineboot >/dev/null 2>&1 || true  # the wineserver up before the first timed run
linuxRates=()
windowsRates=()
for round in $(seq "$rounds"); do
  run linux
  linuxRates+=("$(pagesPerSecond out.txt)")
  run windows
  windowsRates+=("$(pagesPerSecond out.txt)")
  echo "round $round: Linux ${linuxRates[-1]:-failed} pages/s, Windows under Wine ${windowsRates[-1]:-failed} pages/s"
done
median() { printf '%s\n' "$@" | grep . | sort -n | awk '{a[NR]=$1} END {if (NR) print a[int((NR+1)/2)]; else print 0}'; }
linuxMedian=$(median "${linuxRates[@]}")
windowsMedian=$(median "${windowsRates[@]}")
echo "median: Linux $linuxMedian pages/s, Windows $windowsMedian pages/s," \
  "$(awk -v w="$windowsMedian" -v l="$linuxMedian" 'BEGIN {printf "%.0f %%", (l > 0 ? 100 * w / l : 0)}') of Linux"

# One page is 18 exchanges (frame out, answer in); the handshake and the job's start are a few more.
answers=$((174 * 18))
echo "== System calls an answer costs (large-ascii: $answers answers)"
# calls FILE: the system calls strace counted; top FILE: the five most frequent, an answer's share each.
calls() { awk 'NR > 2 && $2 != "total" && $1 ~ /^[0-9]+$/ {s += $1} END {print s + 0}' "$1"; }
top() { awk -v n="$answers" 'NR > 2 && $1 ~ /^[0-9]+$/ && $2 != "total"' "$1" | sort -n -r |
  awk -v n="$answers" 'NR <= 5 {printf "%s %.1f  ", $2, $1 / n}'; }
if command -v strace >/dev/null; then
  run linux strace -c -f -U calls,name -o "$work/linux.strace"
  run windows strace -c -f -U calls,name -o "$work/windows.strace"
  echo "Linux station: $(($(calls linux.strace) / answers)) Linux system calls an answer: $(top linux.strace)"
  echo "Windows station under Wine: $(($(calls windows.strace) / answers)) Linux system calls an answer" \
    "(the wineserver's not counted): $(top windows.strace)"
else
  echo "(strace is not installed: no system call counts)"
fi

smallAnswers=$((10 * 18))
cd small
startSim
WINEDEBUG=+pid,+relay wine "$windowsCli" write large-ascii --port "COM$com" 2>relay.txt >/dev/null || true
stopSim
# The calls the station's .exe makes itself: in its process (the one that sets the COM port's line),
# with a return address in the .exe's image (0x140000000 up for the 64-bit one, 0x400000 up for 32).
pid=$(grep -a -m1 ':Call KERNEL32.SetCommState' relay.txt | cut -d: -f1 || true)
[[ -n $pid ]] || { echo "Windows station: the relay trace shows no COM port set up (no Win32 call count)"; exit 0; }
{ grep -a "^$pid:[0-9a-f]*:Call " relay.txt || true; } | { grep -a -E 'ret=(0*14[0-9a-f]{7}|00[4-9a-f][0-9a-f]{5})\b' || true; } |
  sed -E 's/.*:Call ([A-Za-z0-9_]+\.[A-Za-z0-9_]+)\(.*/\1/' | sort | uniq -c | sort -n -r >calls.txt
total=$(awk '{s += $1} END {print s + 0}' calls.txt)
echo "Windows station: $((total / smallAnswers)) Win32 calls an answer (Wine relay trace, 10 pages: $smallAnswers answers)"
awk -v n="$smallAnswers" 'NR <= 12 {printf "  %s %.1f\n", $2, $1 / n}' calls.txt
