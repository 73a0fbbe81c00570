#!/usr/bin/env bash
# Takes a picture of the station's Windows window under Wine, on a display of its own, with the
# simulated USB device behind it: scripts/window-screenshot.sh [FILE.png] (default quillon-window.png).
# Needs the Windows build (make windows).
set -euo pipefail
cd "$(dirname "$0")/.."
file="${1:-quillon-window.png}"
scripts/wine-prefix.sh
scripts/with-display.sh wine build/windows/front/win32/quillon.exe --simulator=usb --screenshot "$file"
echo "Saved $file"
