#!/usr/bin/env bash
# Runs a command with the Wine prefix's wineserver started as an operator's would be: without the
# administrator's capability (CAP_SYS_ADMIN). Wine's server, not the Windows program, opens the files
# and ttys behind a COM port, so a server that root started with every capability would open a tty
# another program holds exclusively (TIOCEXCL), which no operator's station can. Without this, which
# Wine test happened to start the server first decided what the others saw.
#   scripts/wine-operator-server.sh COMMAND [ARGUMENT]...
set -euo pipefail
wineserver --kill 2>/dev/null || true
wineserver --wait 2>/dev/null || true
if [[ $(id -u) == 0 ]]; then
  setpriv --bounding-set=-sys_admin --inh-caps=-sys_admin wineserver --persistent </dev/null >/dev/null 2>&1
else
  wineserver --persistent </dev/null >/dev/null 2>&1
fi
trap 'wineserver --kill 2>/dev/null || true' EXIT
# Wine's services (winedevice.exe and the rest) start with the first program and live as long as the
# server: started here, they hold no test's output open, which would keep its reader waiting.
wine wineboot </dev/null >/dev/null 2>&1 || true
"$@"
