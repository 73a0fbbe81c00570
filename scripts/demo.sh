#!/usr/bin/env bash
# The demonstration on the built-in simulated device.
set -euo pipefail
cd "$(dirname "$0")/.."
build/release/tools/quillon-linkdemo
