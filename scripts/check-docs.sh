#!/usr/bin/env bash
# The docs' references held to the repository: README.md and every page under docs/ (the manual pages'
# templates in docs/man are the build's, not read here) may name only
#   - make targets the Makefile has ("make foo" in backticks or in a code block);
#   - options the program's own --help lists: on a line of a code block, or in backticks, that runs
#     quillon, quillon-cli or quillon-devsim (also as a path, or as a .exe), every --word after the
#     program's name; and a bare option in backticks ("--repeat") must be an option of one of the three
#     (write another tool's options with its command: "quillon-faults --jobs 200", "cmake --preset");
#   - paths in the repository: a word that begins with one of its top folders (scripts/, res/, docs/,
#     front/, ...; build/ is made, not checked) must exist, "<...>" and "…" ending it and "*" globbing;
#     a link's target must exist beside the page that links it, and a #heading in it;
# every page under docs/ must be linked from README.md; and the exit codes in docs/console.md (between
# "<!-- exit codes -->" and "<!-- /exit codes -->") are the "Exit codes:" block of quillon-cli --help.
# Prints each problem as FILE:LINE: and fails when there is one.
# Usage: scripts/check-docs.sh ROOT BUILD   (BUILD: the build whose programs' --help is asked)
set -uo pipefail
root=${1:?usage: check-docs.sh ROOT BUILD}
build=${2:?usage: check-docs.sh ROOT BUILD}
root=$(realpath -e "$root") || exit 2
build=$(realpath -e "$build") || exit 2

problems=0
problem() {  # FILE LINE WORDS
  echo "${1#"$root"/}:$2: $3"
  problems=$((problems + 1))
}

# The Makefile's targets.
declare -A targets=()
while IFS= read -r target; do
  targets[$target]=1
done < <(sed -nE 's/^([A-Za-z0-9_.-]+)[[:space:]]*:([^=]|$).*/\1/p' "$root/Makefile")

# Each program's options, as its --help lists them.
declare -A options=()
programs=(quillon quillon-cli quillon-devsim)
declare -A built=([quillon]=front/qt/quillon [quillon-cli]=front/console/quillon-cli [quillon-devsim]=sim/quillon-devsim)
for program in "${programs[@]}"; do
  binary=$build/${built[$program]}
  if [[ ! -x $binary ]]; then
    # A build made without the window (the tsan preset) has no quillon to ask.
    if [[ $program == quillon ]] && grep -q '^QUILLON_BUILD_WINDOW:BOOL=OFF' "$build/CMakeCache.txt" 2>/dev/null; then
      echo "check-docs: $build has no window (QUILLON_BUILD_WINDOW off): quillon's options are not checked"
      options[quillon]=ANY
      continue
    fi
    echo "check-docs: $binary is not built: build $program first" >&2
    exit 2
  fi
  help=$(QT_QPA_PLATFORM=offscreen "$binary" --help 2>&1) || {
    echo "check-docs: $binary --help failed" >&2
    exit 2
  }
  options[$program]=" $(grep -oE -- '--[a-z][a-z0-9-]*' <<<"$help" | sort -u | tr '\n' ' ')"
done

# The repository's top folders, which begin a repository path.
folders=()
for folder in "$root"/*/ "$root"/.ci/; do
  folder=${folder%/}
  folder=${folder##*/}
  [[ $folder == build || ! -d $root/$folder ]] && continue
  folders+=("${folder//./\\.}")
done
folder_pattern=$(
  IFS='|'
  echo "${folders[*]}"
)
path_re="(^|[^A-Za-z0-9_./~\$-])(($folder_pattern)/[^][:space:]\`'\"()|,;]*)"
link_re='\]\(([^)[:space:]]+)\)'
program_re='(^|[[:space:]/"=(])(quillon|quillon-cli|quillon-devsim)(\.exe)?([[:space:]]|$)'
make_re='(^|[[:space:](])make[[:space:]]+([^#;&|]*)'

declare -A readme_links=()

# check_option FILE LINE PROGRAM WORD: WORD (--name, --name=value, --name[=value]) is PROGRAM's
# (or, with PROGRAM "any", one of the three programs').
check_option() {
  local file=$1 line=$2 program=$3 word=$4 name
  name=${word%%[=[]*}
  if [[ $program == any ]]; then
    for program in "${programs[@]}"; do
      [[ ${options[$program]} == ANY || ${options[$program]} == *" $name "* ]] && return
    done
    problem "$file" "$line" "\`$word\` is an option of none of ${programs[*]} (another tool's option goes with its command)"
    return
  fi
  [[ ${options[$program]} == ANY || ${options[$program]} == *" $name "* ]] ||
    problem "$file" "$line" "$program --help lists no $name"
}

# check_code FILE LINE TEXT: a code span's or a code block line's make targets and program options.
check_code() {
  local file=$1 line=$2 text=$3 rest words word segment program after
  # make TARGET...: the words after it that can be targets, variables (NAME=value) and flags passed
  # over, up to the first that cannot.
  rest=$text
  while [[ $rest =~ $make_re ]]; do
    read -ra words <<<"${BASH_REMATCH[2]}"
    for word in "${words[@]}"; do
      [[ $word == *=* || $word == -* ]] && continue
      [[ $word =~ ^[A-Za-z0-9_.-]+$ ]] || break
      [[ -n ${targets[$word]:-} ]] || problem "$file" "$line" "the Makefile has no target '$word' (make $word)"
    done
    rest=${rest#*"${BASH_REMATCH[0]}"}
  done
  # The options after a program's name, up to the end of its command.
  rest=${text%%[[:space:]]#*}
  while IFS= read -r segment; do
    [[ $segment =~ $program_re ]] || continue
    program=${BASH_REMATCH[2]}
    after=${segment#*"${BASH_REMATCH[0]}"}
    read -ra words <<<"$after"
    for word in "${words[@]}"; do
      [[ $word =~ ^\[?(--[a-z][a-z0-9-]*[^]]*) ]] && check_option "$file" "$line" "$program" "${BASH_REMATCH[1]}"
    done
  done < <(sed -E 's/&&|;|[|][[:space:]]/\n/g' <<<"$rest")
}

# anchors PAGE: the anchors of its headings, as GitHub makes them (lower case, spaces to dashes, other
# punctuation dropped).
anchors() {
  sed -nE 's/^#+[[:space:]]+//p' "$1" | tr '[:upper:]' '[:lower:]' | sed -E 's/[^a-z0-9 _-]//g; s/ /-/g'
}

# check_paths FILE LINE TEXT: repository paths in TEXT, and the targets of its links.
check_paths() {
  local file=$1 line=$2 text=$3 rest target anchor resolved path
  rest=$text
  while [[ $rest =~ $link_re ]]; do
    target=${BASH_REMATCH[1]}
    rest=${rest#*"${BASH_REMATCH[0]}"}
    text=${text/"${BASH_REMATCH[0]}"/]}
    [[ $target =~ ^(https?:|mailto:) ]] && continue
    anchor=
    [[ $target == *#* ]] && anchor=${target#*#}
    target=${target%%#*}
    resolved=$file
    [[ -n $target ]] && resolved=$(realpath -m "$(dirname "$file")/$target")
    if [[ ! -e $resolved ]]; then
      problem "$file" "$line" "the link's target $target does not exist"
    elif [[ -n $anchor && $resolved == *.md ]] && ! grep -qx -- "$anchor" <(anchors "$resolved"); then
      problem "$file" "$line" "${target:-this page} has no heading #$anchor"
    fi
    [[ $file == "$root/README.md" ]] && readme_links[$resolved]=1
  done
  rest=$text
  while [[ $rest =~ $path_re ]]; do
    path=${BASH_REMATCH[2]}
    rest=${rest#*"${BASH_REMATCH[0]}"}
    path=${path%%[<…\$]*}
    path=${path%%\{*}
    while [[ $path =~ [.:!?]$ ]]; do path=${path%?}; done
    # A glob names what it matches.
    if [[ $path == *[*?]* ]]; then
      compgen -G "$root/$path" >/dev/null || problem "$file" "$line" "$path matches nothing in the repository"
    elif [[ ! -e $root/$path ]]; then
      problem "$file" "$line" "$path is not in the repository"
    fi
  done
}

# The page is only read here (shellcheck takes the FILE handed on for one that is written).
# shellcheck disable=SC2094
check_page() {
  local file=$1 line=0 text in_code=0 command="" command_line=0 span rest
  while IFS= read -r text || [[ -n $text ]]; do
    line=$((line + 1))
    if [[ $text =~ ^[[:space:]]*(\`\`\`|~~~) ]]; then
      in_code=$((1 - in_code))
      continue
    fi
    check_paths "$file" "$line" "$text"
    if ((in_code)); then
      # A command continued with a backslash is checked whole, at its first line.
      [[ -z $command ]] && command_line=$line
      if [[ $text == *\\ ]]; then
        command+="${text%\\} "
        continue
      fi
      check_code "$file" "$command_line" "$command$text"
      command=""
      continue
    fi
    # The code spans of a line of prose: the words between the odd and the even backticks.
    rest=$text
    while [[ $rest =~ \`([^\`]*)\` ]]; do
      span=${BASH_REMATCH[1]}
      rest=${rest#*"${BASH_REMATCH[0]}"}
      check_code "$file" "$line" "$span"
      [[ $span =~ ^(--[a-z][a-z0-9-]*[^[:space:]]*) ]] && check_option "$file" "$line" any "${BASH_REMATCH[1]}"
    done
  done <"$file"
}

pages=("$root/README.md")
while IFS= read -r page; do
  pages+=("$page")
done < <(find "$root/docs" -name '*.md' -not -path "$root/docs/man/*" | sort)
for page in "${pages[@]}"; do
  check_page "$page"
done
for page in "${pages[@]:1}"; do
  [[ -n ${readme_links[$page]:-} ]] || problem "$page" 1 "no link to it in README.md"
done

# The exit codes as the program gives them, word for word.
console=$root/docs/console.md
documented=$(sed -n '/^<!-- exit codes -->$/,/^<!-- \/exit codes -->$/p' "$console" | sed '1,2d;$d' | sed '$d')
given=$("$build/front/console/quillon-cli" --help --lang en | sed -n '/^Exit codes:$/,$p')
if [[ $documented != "$given" ]]; then
  line=$(grep -n '^<!-- exit codes -->$' "$console" | cut -d: -f1)
  problem "$console" "${line:-1}" "the exit codes differ from quillon-cli --help's:"
  diff <(echo "$documented") <(echo "$given") | sed 's/^/    /'
fi

if ((problems > 0)); then
  echo "check-docs: $problems problems"
  exit 1
fi
echo "check-docs: ${#pages[@]} pages: their make targets, options, paths and links hold"
