#!/usr/bin/env bash
# Checks the Debian package as an operator meets it, unpacked into a fresh root: every file in its
# place, the programs' help, quillon-cli writing the Chinese sample package into the built-in simulated
# device from a working directory that holds the packages and the installed sounds, the manual pages,
# and the bash completion; the udev rule for the CH340 adapters.
# Usage: scripts/check-package.sh PACKAGE.deb QUILLON-SAMPLEGEN
set -euo pipefail
deb=$1
samplegen=$2

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
root=$scratch/root
dpkg-deb -x "$deb" "$root"

failures=0
fail() {
  echo "check-package: $*" >&2
  failures=$((failures + 1))
}

for file in \
    bin/quillon bin/quillon-cli bin/quillon-devsim \
    share/applications/quillon.desktop \
    share/applications/quillon-line.desktop \
    share/icons/hicolor/16x16/apps/quillon.png share/icons/hicolor/32x32/apps/quillon.png \
    share/quillon/FinishVoice.wav share/quillon/ErrorVoice.wav \
    share/man/man1/quillon.1.gz share/man/man1/quillon-cli.1.gz share/man/man1/quillon-devsim.1.gz \
    share/bash-completion/completions/quillon-cli \
    share/doc/quillon/copyright share/doc/quillon/changelog.Debian.gz \
    lib/udev/rules.d/60-quillon.rules; do
  [ -f "$root/usr/$file" ] || fail "/usr/$file is not in the package"
done

# The CH340 adapters' udev rule, as dpkg lists it (udev reads only /usr/lib/udev/rules.d and /etc), a
# regular file of mode 0644.
# The listing is taken whole first: grep -q stops reading at its match, and dpkg-deb, cut off, fails
# the pipeline.
listing=$(dpkg -c "$deb")
grep -Eq '^-rw-r--r-- .* \./usr/lib/udev/rules\.d/60-quillon\.rules$' <<<"$listing" ||
  fail "dpkg -c does not list ./usr/lib/udev/rules.d/60-quillon.rules (mode 0644)"
# Its rule lines tell ModemManager to keep off a CH340 adapter and give the port to the user at the desk
# (that they cover exactly the station's CH340 ids is a unit test's); every other line is a comment,
# blank, the label or a jump to it.
rules=$root/usr/lib/udev/rules.d/60-quillon.rules
grep -Eq '^ATTRS\{idVendor\}=="1a86", ATTRS\{idProduct\}=="7523", ENV\{ID_MM_DEVICE_IGNORE\}="1", TAG\+="uaccess"$' \
  "$rules" || fail "60-quillon.rules has no rule for the CH340's 1a86:7523"
if grep -Ev '^(#.*|$|ATTRS\{idVendor\}=="[0-9a-f]{4}", ATTRS\{idProduct\}=="[0-9a-f]{4}", ENV\{ID_MM_DEVICE_IGNORE\}="1", TAG\+="uaccess"|LABEL="quillon_end"|.*GOTO="quillon_end")$' \
    "$rules" >&2; then
  fail "60-quillon.rules has the lines above, which are none of its kinds"
fi

# The help needs neither a display nor a device. Each program's output is taken whole before grep
# looks at it: grep -q stops reading at its match, and a program still writing would die of SIGPIPE.
says() {
  local pattern=$1
  shift
  local output
  output=$("$@" 2>&1) && grep -q "$pattern" <<<"$output"
}
says "quillon-cli write PACKAGE" "$root/usr/bin/quillon-cli" --help || fail "quillon-cli --help"
says "^Usage: quillon " "$root/usr/bin/quillon" --help || fail "quillon --help"
says "quillon-devsim \[OPTION\]" "$root/usr/bin/quillon-devsim" --help || fail "quillon-devsim --help"
for program in quillon quillon-cli quillon-devsim; do
  says "^$program [0-9.]* (commit " "$root/usr/bin/$program" --version || fail "$program --version"
done

# The station's main job, as an operator runs it: from the directory holding the font packages.
work=$scratch/work
mkdir "$work"
"$samplegen" "$work" >/dev/null 2>&1
cp "$root"/usr/share/quillon/*.wav "$work"
if (cd "$work" && "$root/usr/bin/quillon-cli" write chinese --simulator) >"$scratch/write.log" 2>&1; then
  grep -q "写入完成" "$scratch/write.log" || fail "quillon-cli write chinese did not say it was complete"
else
  fail "quillon-cli write chinese --simulator failed:"
  tail -5 "$scratch/write.log" >&2
fi

for page in quillon quillon-cli quillon-devsim; do
  says "^NAME" env MANWIDTH=80 man -l "$root/usr/share/man/man1/$page.1.gz" || fail "man -l $page.1.gz"
done

# What bash offers after the words given, the last one being completed.
# shellcheck source=/dev/null
source "$root/usr/share/bash-completion/completions/quillon-cli"
completions() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _quillon_cli
  echo "${COMPREPLY[*]}"
}
expect_completions() {
  local expected=$1
  shift
  local offered
  offered=$(completions "$@")
  [ "$offered" = "$expected" ] || fail "completing '$*' offers '$offered', not '$expected'"
}
expect_completions "write verify read ports doctor" quillon-cli ""
expect_completions "traditional-chinese" quillon-cli write trad
expect_completions "colour240-korean" quillon-cli verify --wait 5 colour240-k
expect_completions "--repeat" quillon-cli write chinese --rep
expect_completions "raw hex" quillon-cli read 0 0x100 --format ""
expect_completions "usb" quillon-cli ports --simulator =
expect_completions "--lang --help --version" quillon-cli --

if [ "$failures" -gt 0 ]; then
  echo "check-package: $failures failed" >&2
  exit 1
fi
echo "check-package: $(basename "$deb") installs, runs, writes the Chinese sample package, has its manual pages, completion and udev rule"
