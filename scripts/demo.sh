#!/usr/bin/env bash
# The demonstration on the built-in simulated device: the station's link at work on the console, then,
# where a display exists, the station's window.
set -euo pipefail
cd "$(dirname "$0")/.."
# The sample font packages and colour-screen font images, in the demo's working directory.
build/release/tools/quillon-samplegen build/demo
build/release/tools/quillon-linkdemo
if [ -n "${DISPLAY:-}" ] && [ -x build/release/app/qt/quillon ]; then
  echo "Opening the station's window (close it with 退出 / Exit)."
  build/release/app/qt/quillon
fi
