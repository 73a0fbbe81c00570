#!/usr/bin/env bash
# Takes a picture of the station's Windows window under Wine, on a display of its own, with the
# simulated USB device behind it: scripts/window-screenshot.sh [FILE.png [OPTION...]] (default
# quillon-window.png; the options go to the window, --lang en say). Needs the Windows build (make windows).
set -euo pipefail
cd "$(dirname "$0")/.."
file="${1:-quillon-window.png}"
shift || true
scripts/wine-prefix.sh
scripts/with-display.sh wine build/windows/front/win32/quillon.exe --simulator=usb --screenshot "$file" "$@"
echo "Saved $file"
