#!/usr/bin/env bash
# scripts/install-deps.sh against a mirror mid-sync, with apt's programs stubbed on PATH: without the
# opt-in it stops with exit 1 and says what to do, and nothing writes into apt's lists; with it, the list
# is taken and named in a warning; a download that fails leaves the lists as they were.
set -u
script=$1/scripts/install-deps.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
url=http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
list=$work/lists/deb.debian.org_debian-security_dists_bookworm-security_main_binary-i386_Packages

mkdir -p "$work/bin" "$work/lists"
stub() { printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/bin/$1"; chmod +x "$work/bin/$1"; }
stub dpkg-query 'exit 1'  # nothing is installed
stub sudo 'exec "$@"'
stub sleep 'exit 0'
stub apt-config "echo \"lists='$work/lists/'\""
stub apt-get "[ \"\$1\" = update ] || exit 0
echo 'E: Failed to fetch $url  File has unexpected size (374820 != 376004). Mirror sync in progress? [IP: 1.2.3.4 80]'
exit 100"
stub apt-helper "echo called >>'$work/apt-helper-calls'
[ -n \"\${FAIL_DOWNLOAD:-}\" ] && exit 1
printf 'Package: wine32\n' | xz >\"\$3\""

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
run() { env PATH="$work/bin:$PATH" "$@" bash "$script" >"$work/out" 2>"$work/err"; }

run env -u QUILLON_ACCEPT_UNVERIFIED_APT_LISTS
code=$?
[ "$code" = 1 ] || fail "without the opt-in: exit $code, not 1"
grep -q "does not name" "$work/err" && grep -qF "$url" "$work/err" &&
  grep -q "QUILLON_ACCEPT_UNVERIFIED_APT_LISTS=1" "$work/err" || fail "without the opt-in: $(cat "$work/err")"
[ ! -e "$work/apt-helper-calls" ] || fail "without the opt-in apt-helper was called"
[ -z "$(ls -A "$work/lists")" ] || fail "without the opt-in apt's lists changed"

echo "the list as apt last had it" >"$list"
run env QUILLON_ACCEPT_UNVERIFIED_APT_LISTS=1 FAIL_DOWNLOAD=1
code=$?
[ "$code" = 1 ] || fail "a failed download: exit $code, not 1"
[ "$(cat "$list")" = "the list as apt last had it" ] || fail "a failed download changed the list"

run env QUILLON_ACCEPT_UNVERIFIED_APT_LISTS=1
code=$?
[ "$code" = 0 ] || fail "with the opt-in: exit $code: $(cat "$work/err")"
grep -qF "WARNING: taking the package list $list UNVERIFIED" "$work/err" || fail "no warning naming the list"
[ "$(cat "$list")" = "Package: wine32" ] || fail "with the opt-in the list was not taken"
[ -z "$(find /tmp -maxdepth 1 -name 'quillon-list*' 2>/dev/null)" ] || fail "a fixed name left in /tmp"

[ "$failures" = 0 ] && echo "install-deps: all cases pass"
exit "$failures"
