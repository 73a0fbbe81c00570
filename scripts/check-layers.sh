#!/usr/bin/env bash
# The layers' rule: a file includes the project's headers of its own layer and of the layers below it,
# never above. From the top: front/ (the front ends), station/ (the dialog, its workers and jobs),
# package/ (the font packages), link/ (the serial port driver and the OS seams), fonts/ (the built-in
# font block) and texts/ (the station's texts in the operator's language), which every layer may use.
# cmdline/ and sim/ sit beside them for the front ends; res/ holds the window's resources.
# Prints every include that runs upwards and fails when there is one. Run from anywhere; the argument is
# the project's root.
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# What each layer may include besides itself.
declare -A below=(
  [front]="line station package link fonts texts cmdline sim res"
  [line]="package link fonts texts"
  [station]="package link fonts texts"
  [package]="link fonts texts"
  [link]="texts"
  [fonts]=""
  [texts]=""
)

found=0
for layer in "${!below[@]}"; do
  allowed="$layer ${below[$layer]}"
  while IFS=: read -r file line text; do
    target=$(sed -E 's/.*#[[:space:]]*include[[:space:]]+"([^/"]+)\/.*/\1/' <<<"$text")
    [[ " $allowed " == *" $target "* ]] && continue
    echo "$file:$line: $layer/ includes $target/: $text"
    found=1
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^/"]+/' "$layer" --include='*.h' --include='*.cpp')
done
exit $found
