#!/usr/bin/env bash
# Installs the Debian packages the station needs to build, test and demonstrate, only those missing.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config libcli11-dev nlohmann-json3-dev libudev-dev
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
# A mirror in the middle of a sync can serve a package list that its signed release file does not name
# (apt: "File has unexpected size ... Mirror sync in progress?"), and apt refuses it, rightly: that list
# is the only link between each package's hash and the signature. Such a failure is tried again twice;
# then the script stops and says what to do. Only on a throwaway machine, and only when asked for with
# QUILLON_ACCEPT_UNVERIFIED_APT_LISTS=1 (CI sets it), is such a list taken as the mirror serves it,
# unchecked, so that the packages of a foreign architecture (wine32:i386) install beside the native
# security updates.
accept_unverified=${QUILLON_ACCEPT_UNVERIFIED_APT_LISTS:-0}
scratch=""

# The lists apt failed to fetch from a mirror mid-sync, by URL, from apt-get update's output.
lists_mid_sync() {
  sed -n 's/^E: Failed to fetch \([a-z]*:[^ ]*\) .*Mirror sync in progress.*/\1/p' <<<"$1"
}

# Takes the list at URL as the mirror serves it: downloaded and unpacked into a temporary file first,
# so that a failed download or decompression leaves apt's lists as they were.
take_unverified_list() {
  local url=$1 lists list
  eval "$(apt-config shell lists Dir::State::lists/d)"
  list=${lists%/}/$(sed 's|^[a-z]*://||; s|/|_|g; s|\.xz$||' <<<"$url")
  if [ -z "$scratch" ]; then
    scratch=$(mktemp -d)
    trap 'rm -rf "$scratch"' EXIT
  fi
  rm -f "$scratch/list.xz" "$scratch/list"
  echo "WARNING: taking the package list $list UNVERIFIED from $url, as the mirror serves it (its" \
       "signed release file names another): packages apt installs from it are checked only against it." >&2
  case $url in *.xz) ;; *) echo "install-deps: $url is not a compressed list" >&2; return 1 ;; esac
  PATH=$PATH:/usr/lib/apt "${as_root[@]}" apt-helper download-file "$url" "$scratch/list.xz" &&
    xz -dc "$scratch/list.xz" >"$scratch/list" &&
    "${as_root[@]}" install -m 0644 "$scratch/list" "$list"
}

update_package_lists() {
  local log attempt url
  for attempt in 1 2 3; do
    if log=$("${as_root[@]}" apt-get update -q 2>&1); then
      echo "$log"
      return 0
    fi
    echo "$log"
    grep -q "Mirror sync in progress" <<<"$log" || return 1
    [ "$attempt" -lt 3 ] && sleep 20
  done
  if [ "$accept_unverified" != 1 ]; then
    {
      echo "install-deps: apt-get update failed three times: the mirror serves a package list that its"
      echo "signed release file does not name (it is mid-sync), and apt rightly refuses it:"
      lists_mid_sync "$log" | sed 's/^/  /'
      echo "Try again later, or use another mirror. Only on a throwaway machine (CI), where a list a few"
      echo "updates behind and unchecked is acceptable, set QUILLON_ACCEPT_UNVERIFIED_APT_LISTS=1."
    } >&2
    exit 1
  fi
  for url in $(lists_mid_sync "$log"); do
    take_unverified_list "$url" || { echo "install-deps: could not take $url" >&2; exit 1; }
  done
}
update_package_lists
if [ ${#missing[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
if [ ${#missing_recommended[@]} -gt 0 ]; then
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q "${missing_recommended[@]}"
fi
