#!/usr/bin/env bash
# The demonstration: the station writes the Chinese font package into the built-in simulated device,
# page by page with read-back, from a working directory holding the sample packages and the sounds.
# Where a display exists, in the station's window (the button is pressed for you once the device is
# linked; close the window with 退出 / Exit); elsewhere on the console.
set -euo pipefail
cd "$(dirname "$0")/.."
demo=build/demo
mkdir -p "$demo"
# The sample font packages and colour-screen font images, and the finish and error sounds.
build/release/tools/quillon-samplegen "$demo" 2>/dev/null
cp res/FinishVoice.wav res/ErrorVoice.wav "$demo"
cd "$demo"
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ -x ../release/front/qt/quillon ]; then
  echo "The station's window writes flash.txt into the simulated ID writer (close it with 退出 / Exit)."
  ../release/front/qt/quillon --simulator --write chinese
else
  echo "quillon-cli write chinese --simulator (in $demo)"
  ../release/front/console/quillon-cli write chinese --simulator
fi
