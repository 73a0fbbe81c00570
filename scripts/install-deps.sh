#!/usr/bin/env bash
# Installs the Debian packages the station needs to build, test and demonstrate, only those missing.
set -euo pipefail

packages=(
  g++ make cmake ninja-build pkg-config
  libgtest-dev libgmock-dev libbenchmark-dev
  qt6-base-dev qt6-serialport-dev qt6-multimedia-dev fonts-wqy-zenhei
  srecord libfreetype-dev fonts-dejavu-core
)
# Renewing the built-in font assets (make fonts) also needs the fonts they are drawn from.
if [ "${1:-}" = fonts ]; then
  packages+=(fonts-noto-cjk unifont)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -ne 0 ] && as_root=(sudo)
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
