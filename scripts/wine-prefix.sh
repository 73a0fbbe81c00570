#!/usr/bin/env bash
# Makes the Wine prefix the Windows tests run in ($WINEPREFIX, else ~/.wine), once: without a display and
# without Wine's offers to install .NET and a browser engine, which the station does not use.
set -euo pipefail
prefix="${WINEPREFIX:-$HOME/.wine}"
[ -d "$prefix/dosdevices" ] && exit 0
echo "Making the Wine prefix $prefix"
WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init
wineserver --wait
