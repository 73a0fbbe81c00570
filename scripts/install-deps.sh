#!/usr/bin/env bash
# Installs the Debian packages the station needs to build, test and demonstrate, only those missing.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config libcli11-dev libudev-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-serialport-dev qt6-multimedia-dev fonts-wqy-zenhei
  srecord libfreetype-dev fonts-dejavu-core gettext
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
# Building for Windows (make windows, make test-windows, make windows-installer): MinGW-w64 for the
# 32-bit and the 64-bit station, GoogleTest's sources to build with it, Wine's two halves to run what
# it builds (the 32-bit one, wine32, from Debian's i386 architecture), a display server for the window,
# NSIS for the setup program, zip for the portable archive and unzip to check it, and the locale sources
# that the tests make Wine's Chinese locale from. Wine comes with what it recommends: it needs some of it
# to start.
recommended=()
if [ "${1:-}" = windows ]; then
  packages+=(g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix googletest xvfb xauth nsis zip unzip locales)
  recommended+=(wine wine64 wine32:i386)
fi

# The packages of the list given that are not installed yet. A package of another architecture is
# asked for by its multiarch name (wine32:i386): dpkg-query knows it by that name only.
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
# Packages of another architecture come from it only once dpkg knows it, before the package lists
# are fetched.
for architecture in $(printf '%s\n' "${missing[@]}" "${missing_recommended[@]}" | sed -n 's/.*:\([a-z0-9]*\)$/\1/p' | sort -u); do
  if ! { dpkg --print-architecture && dpkg --print-foreign-architectures; } | grep -qx "$architecture"; then
    "${as_root[@]}" dpkg --add-architecture "$architecture"
  fi
done
# A mirror in the middle of a sync can serve a package list older than the signed release file that
# names it: apt refuses it ("File has unexpected size ... Mirror sync in progress?"). For a foreign
# architecture apt then knows none of the security updates the native packages already have, and
# nothing of that architecture installs (seen for days with bookworm-security's i386 list). After three
# tries such a list is taken as the mirror serves it: it is a few updates behind, the list itself is
# then unchecked, and apt still checks every package it downloads against it.
update_package_lists() {
  local log attempt url list
  for attempt in 1 2 3; do
    if log=$("${as_root[@]}" apt-get update -q 2>&1); then
      echo "$log"
      return 0
    fi
    echo "$log"
    grep -q "Mirror sync in progress" <<<"$log" || return 1
    [ "$attempt" -lt 3 ] && sleep 20
  done
  for url in $(sed -n 's/^E: Failed to fetch \(http[^ ]*\.xz\) .*Mirror sync in progress.*/\1/p' <<<"$log"); do
    list=/var/lib/apt/lists/$(sed 's|^[a-z]*://||; s|/|_|g; s|\.xz$||' <<<"$url")
    echo "Taking $url as the mirror serves it"
    "${as_root[@]}" /usr/lib/apt/apt-helper download-file "$url" /tmp/quillon-list.xz
    xz -dc /tmp/quillon-list.xz | "${as_root[@]}" tee "$list" >/dev/null
    rm -f /tmp/quillon-list.xz
  done
}
update_package_lists
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_recommended[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "${missing_recommended[@]}"
fi
