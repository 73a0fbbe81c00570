#!/usr/bin/env bash
# Runs a command with a display for the station's window under Wine: an Xvfb server of its own, gone
# when the command ends. Wine ties its desktop to the display of the Wine server's first windowed
# program, so a server still running from before is let go first, and the command's Wine programs all
# share this one display.
set -euo pipefail
export WINEDEBUG="${WINEDEBUG:--all}"
timeout 30 wineserver -w || wineserver -k || true

# Xvfb picks a free display number and tells it on the descriptor given.
exec {numbers}< <(exec Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp 2>/dev/null)
xvfb=$!
read -r -t 10 -u "$numbers" number
trap 'wineserver -k 2>/dev/null || true; kill "$xvfb" 2>/dev/null || true' EXIT
DISPLAY=":$number" "$@"
