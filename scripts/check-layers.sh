#!/usr/bin/env bash
# The layers' rule: a file includes the project's headers of its own layer and of the layers below it,
# never above. From the top: tools/ (asset generators and samples), front/ (the front ends), line/ (the
# production line the front ends share), station/ (the dialog, its workers and jobs), package/ (the font
# packages), link/ (the device link and the system), fonts/ (the built-in font block) and texts/ (the
# station's texts, which every layer may use). sim/ (the device simulator) and cmdline/ (the programs'
# command lines) sit beside them for the front ends; res/ holds the windows' resources.
# Inside link/, each room includes only the rooms below it: os/ (the system's handles), then serial/,
# usb/ and files/, then ports/, then diagnosis/; link's own headers (the frame, the status words) may use
# them all.
# Prints every include that runs upwards and fails when there is one. Run from anywhere; the argument is
# the project's root.
set -uo pipefail
root=${1:-$(dirname "$0")/..}
cd "$root" || exit 2

# What each folder may include besides itself, by the include's first path part (its second, in link/).
declare -A below=(
  [tools]="front line station package link fonts texts cmdline sim res"
  [front]="line station package link fonts texts cmdline sim res"
  [line]="package link fonts texts"
  [station]="package link fonts texts"
  [package]="link fonts texts"
  [link]="texts"
  [sim]="link cmdline texts"
  [cmdline]="texts"
  [fonts]=""
  [texts]=""
)
declare -A rooms=(
  [link/os]=""
  [link/serial]="link/os"
  [link/usb]="link/os"
  [link/files]="link/os"
  [link/ports]="link/serial link/usb link/os"
  [link/diagnosis]="link/ports link/serial link/usb link/files link/os link/."
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
for room in "${!rooms[@]}"; do
  allowed="$room ${rooms[$room]}"
  while IFS=: read -r file line text; do
    # link/x/… names room link/x; link/frame.h names link's own headers, "link/.".
    target=$(sed -E 's/.*#[[:space:]]*include[[:space:]]+"link\/([^"]+)".*/\1/' <<<"$text")
    [[ "$target" == */* ]] && target="link/${target%%/*}" || target="link/."
    [[ " $allowed " == *" $target "* ]] && continue
    echo "$file:$line: $room/ includes $target/: $text"
    found=1
  done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"link/' "$room" --include='*.h' --include='*.cpp')
done
exit $found
