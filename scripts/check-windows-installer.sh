#!/usr/bin/env bash
# Checks the Windows setup program as an operator meets it, under Wine in a scratch prefix of its own:
# "quillon-setup-VERSION.exe /S" installs both stations, the sounds, the Start-menu entries and the
# uninstall record; the installed 32-bit quillon-cli.exe writes a sample package through a Wine COM port
# into the Linux simulator, whose flash must then hold exactly what the package says; the installed
# 64-bit one starts; the uninstaller, run silently, removes every file the setup installed, the
# Start-menu entries and the record. The portable archive must hold the files the setup installs.
# Usage: scripts/check-windows-installer.sh INSTALLER-DIR LINUX-BUILD
#   INSTALLER-DIR holds quillon-setup-VERSION.exe and quillon-VERSION-windows.zip (make windows-installer);
#   LINUX-BUILD holds the simulator and the sample package generator (build/release).
set -euo pipefail
installers=$(realpath "$1")
linux_build=$(realpath "$2")
setup=$(echo "$installers"/quillon-setup-*.exe)
version=$(basename "$setup" .exe)
version=${version#quillon-setup-}
archive=$installers/quillon-$version-windows.zip
for file in "$setup" "$archive"; do
  [ -f "$file" ] || { echo "check-windows-installer: no $file (make windows-installer)" >&2; exit 1; }
done

scratch=$(mktemp -d /tmp/quillon-setup-check.XXXXXX)
# Wine's menu builder would copy the Start-menu entries into the Linux desktop's menus: not here.
export WINEPREFIX=$scratch/wine WINEDEBUG=-all WINEDLLOVERRIDES="winemenubuilder.exe=d"
devsim_pid=
cleanup() {
  [ -n "$devsim_pid" ] && kill "$devsim_pid" 2>/dev/null
  wineserver --kill 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

failures=0
fail() {
  echo "check-windows-installer: $*" >&2
  failures=$((failures + 1))
}

echo "check-windows-installer: a scratch Wine prefix in $WINEPREFIX"
WINEDLLOVERRIDES="$WINEDLLOVERRIDES;mscoree,mshtml=" wineboot --init
wineserver --wait
# Every file of the prefix's drive C, but the temporary ones (the uninstaller runs from a copy there).
drive_files() {
  (cd "$WINEPREFIX/drive_c" && find . -type f -not -ipath './users/*/temp/*' | sort)
}
drive_files >"$scratch/before.txt"

wine "$setup" /S
wineserver --wait
drive_files >"$scratch/installed-all.txt"
comm -13 "$scratch/before.txt" "$scratch/installed-all.txt" >"$scratch/installed.txt"

key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Quillon'
record_value() {
  wine reg query "$key" /v "$1" 2>/dev/null | tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}
[ "$(record_value DisplayName)" = Quillon ] || fail "the uninstall record's DisplayName is not Quillon"
[ "$(record_value DisplayVersion)" = "$version" ] || fail "the uninstall record's DisplayVersion is not $version"
[ -n "$(record_value Publisher)" ] || fail "the uninstall record names no Publisher"
uninstaller=$(record_value UninstallString | tr -d '"')
install_location=$(record_value InstallLocation)
[ -n "$install_location" ] || fail "the uninstall record has no InstallLocation"
# A Windows path as the file's own Unix path (winepath goes through the prefix's dosdevices/c: link).
unix_path() {
  realpath -m "$(winepath -u "$1" 2>/dev/null)"
}
folder=$(unix_path "$install_location")
[ "$(unix_path "$uninstaller")" = "$folder/uninstall.exe" ] ||
  fail "the uninstall record's UninstallString is not the installation's uninstall.exe: $uninstaller"

# What the setup installed: the archive's files in the installation folder, its uninstaller, and the
# Start-menu entries of both stations.
folder_in_drive=./${folder#"$WINEPREFIX/drive_c/"}
(cd "$scratch" && unzip -q "$archive")
(cd "$scratch/quillon-$version-windows" && find . -type f | sed "s|^\.|$folder_in_drive|"
  echo "$folder_in_drive/uninstall.exe") | sort >"$scratch/expected.txt"
grep -v '\.lnk$' "$scratch/installed.txt" >"$scratch/installed-files.txt" || true
diff -u "$scratch/expected.txt" "$scratch/installed-files.txt" >&2 ||
  fail "the setup did not install the archive's files and its uninstaller, and nothing else"
for entry in 'Quillon.lnk' 'Quillon 64-bit.lnk' 'Quillon production line.lnk'; do
  grep -q "/Start Menu/Programs/Quillon/$entry\$" "$scratch/installed.txt" || fail "no Start-menu entry $entry"
done

# The installed station's console writes a package into the simulator, from a working folder that holds
# the packages and the installed sounds, as an operator's does, in Chinese whatever the prefix's locale.
work=$scratch/work
mkdir "$work"
"$linux_build/tools/quillon-samplegen" "$work" >/dev/null 2>&1
cp "$folder"/*.wav "$work"
exec {devsim_output}< <(exec "$linux_build/sim/quillon-devsim" --link "$scratch/ttyW" --dump "$scratch/flash.bin")
devsim_pid=$!
read -r -t 10 -u "$devsim_output" _ || fail "the simulator did not start"
ln -s "$scratch/ttyW" "$WINEPREFIX/dosdevices/com50"
if (cd "$work" && wine "$folder/quillon-cli.exe" write large-ascii --port COM50 --lang zh) >"$scratch/write.log" 2>&1; then
  grep -q "写入完成!!!" "$scratch/write.log" || fail "the installed quillon-cli.exe did not say the write was complete"
else
  fail "the installed quillon-cli.exe write large-ascii --port COM50 failed:"
  tail -5 "$scratch/write.log" >&2
fi
kill -TERM "$devsim_pid"
wait "$devsim_pid" || fail "the simulator did not end well"
devsim_pid=
# The package's bytes at their addresses in erased flash, as large as the simulator's.
srec_cat "$work/Bigfont.txt" -intel -fill 0xFF 0 "$(stat -c %s "$scratch/flash.bin")" -o "$scratch/expected.bin" -binary
cmp -s "$scratch/expected.bin" "$scratch/flash.bin" || fail "the flash does not hold exactly Bigfont.txt"

help=$(wine "$folder/64-bit/quillon-cli.exe" --help 2>&1) && grep -q "quillon-cli write PACKAGE" <<<"$help" ||
  fail "the installed 64-bit quillon-cli.exe --help"

# The uninstaller copies itself into the temporary folder, starts the copy and returns: the Wine
# server's end is the copy's end.
wine "$folder/uninstall.exe" /S
wineserver --wait
drive_files >"$scratch/uninstalled-all.txt"
left=$(comm -12 "$scratch/installed.txt" "$scratch/uninstalled-all.txt")
[ -z "$left" ] || fail "the uninstaller left what the setup installed: $left"
[ ! -e "$folder" ] || fail "the uninstaller left the installation folder $folder"
[ -z "$(record_value DisplayName)" ] || fail "the uninstaller left the uninstall record"

if [ "$failures" -gt 0 ]; then
  echo "check-windows-installer: $failures failed" >&2
  exit 1
fi
echo "check-windows-installer: $(basename "$setup") installs both stations, the installed quillon-cli.exe writes Bigfont.txt exactly, the uninstaller removes what it installed"
