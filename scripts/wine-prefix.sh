#!/usr/bin/env bash
# Makes the Wine prefix the Windows tests run in ($WINEPREFIX, else ~/.wine), once: without a display and
# without Wine's offers to install .NET and a browser engine, which the station does not use. Then sees
# that the window's Chinese captions render: the dialog font (宋体, and Wine's dialog fonts) is mapped to
# an installed CJK font, and Wine draws the window frames itself (under Xvfb no window manager does).
set -euo pipefail
prefix="${WINEPREFIX:-$HOME/.wine}"
export WINEDEBUG=-all
# A 64-bit prefix made before Wine's 32-bit half (wine32) was installed has no 32-bit system in SysWOW64
# and starts no program once wine32 is there ("could not load kernel32.dll"): it is made anew.
if [ -d "$prefix/dosdevices" ] && [ ! -e "$prefix/drive_c/windows/syswow64/kernel32.dll" ] &&
  dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "install ok installed"; then
  echo "Making the Wine prefix $prefix anew: it was made before wine32 was installed"
  wineserver --kill 2>/dev/null || true
  rm -rf "$prefix"
fi
if [ ! -d "$prefix/dosdevices" ]; then
  echo "Making the Wine prefix $prefix"
  WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init
  wineserver --wait
fi

grep -q '^"SimSun"="WenQuanYi Zen Hei"' "$prefix/user.reg" 2>/dev/null && exit 0
echo "Mapping the window's fonts to WenQuanYi Zen Hei in $prefix"
settings="$(mktemp --suffix=.reg)"
trap 'rm -f "$settings"' EXIT
# regedit reads UTF-16 files: the only way for a value named in Chinese to arrive intact.
{
  printf 'Windows Registry Editor Version 5.00\r\n\r\n'
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
  for face in '宋体' 'SimSun' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    printf '"%s"="WenQuanYi Zen Hei"\r\n' "$face"
  done
  printf '\r\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n"Decorated"="N"\r\n'
} | iconv -f UTF-8 -t UTF-16 >"$settings"
wine regedit /S "$(winepath -w "$settings")"
wineserver --wait
