#!/usr/bin/env bash
# Installs the Debian packages the station needs to build, test and demonstrate, only those missing.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-serialport-dev qt6-multimedia-dev fonts-wqy-zenhei
  srecord libfreetype-dev fonts-dejavu-core
)
# Renewing the built-in font assets (make fonts) also needs the fonts they are drawn from.
if [ "${1:-}" = fonts ]; then
  packages+=(fonts-noto-cjk unifont)
fi
# Packaging (make package): dpkg-shlibdeps works out the .deb's dependencies, lintian checks it, man
# reads the installed man pages back.
if [ "${1:-}" = package ]; then
  packages+=(dpkg-dev lintian man-db)
fi
# Fuzzing (make fuzz): clang and its libFuzzer and sanitizer runtimes.
if [ "${1:-}" = fuzz ]; then
  packages+=(clang libclang-rt-dev)
fi
# Building for Windows (make windows, make test-windows): MinGW-w64, GoogleTest's sources to build with
# it, Wine to run what it builds, a display server for the window, and the locale sources that the
# tests make Wine's Chinese locale from. Wine comes with what it recommends: it needs some of it to
# start.
recommended=()
if [ "${1:-}" = windows ]; then
  packages+=(g++-mingw-w64-x86-64 googletest xvfb xauth locales)
  recommended+=(wine wine64)
fi

# The packages of the list given that are not installed yet.
not_installed() {
  for package in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
      echo "$package"
    fi
  done
}
mapfile -t missing < <(not_installed "${packages[@]}")
mapfile -t missing_recommended < <(not_installed "${recommended[@]}")
[ ${#missing[@]} -eq 0 ] && [ ${#missing_recommended[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]} ${missing_recommended[*]}"
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
"${as_root[@]}" apt-get update -q
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_recommended[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "${missing_recommended[@]}"
fi
