#!/usr/bin/env bash
# Every text the station can show is in both catalogues, translated, with the same parts: the messages
# are gathered from the sources as xgettext finds them (Tr and N_), and each catalogue must hold every
# one with a translation that names the same {1}, {2}, ... Prints what is wrong and fails; run from
# anywhere, the argument is the project's root.
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

mapfile -t sources < <(find front line link package station texts cmdline -name '*.cpp' -o -name '*.h' | sort)
LC_ALL=C.UTF-8 xgettext --language=C++ --keyword=Tr:1 --keyword=N_:1 --from-code=UTF-8 --no-wrap \
  --output="$work/station.pot" "${sources[@]}" || exit 2

failed=0
for catalogue in texts/po/zh_CN.po texts/po/en.po; do
  # Every message there and translated (msgcmp counts an empty translation as missing).
  if ! msgcmp "$catalogue" "$work/station.pot" 2>"$work/missing"; then
    echo "$catalogue lacks messages the station shows:"
    grep -v "^msgcmp:" "$work/missing" | sed 's/^/  /'
    failed=1
  fi
  # The same parts in the translation as in the message.
  if ! LC_ALL=C.UTF-8 msgexec --input="$catalogue" sh -c '
      [ -z "$MSGEXEC_MSGID" ] && exit 0
      parts() { grep -o "{[1-9]}" | sort | tr -d "\n"; }
      wanted=$(printf "%s" "$MSGEXEC_MSGID" | parts)
      given=$(parts)
      [ "$wanted" = "$given" ] || { echo "  parts differ for: $MSGEXEC_MSGID"; exit 1; }' >"$work/parts"; then
    echo "$catalogue:"
    cat "$work/parts"
    failed=1
  fi
done
exit $failed
