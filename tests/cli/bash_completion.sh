#!/usr/bin/env bash
# The bash completion of quillpost-cli, driven as bash drives it (COMP_WORDS, COMP_CWORD), on a
# copy of the built quillpost-cli in a program folder of its own whose catalogue holds titles
# with blanks and quotes: each title completed must read back, as the shell reads the line,
# as exactly that title.
#
#   bash_completion.sh QUILLPOST_CLI COMPLETION
set -uo pipefail
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$1" "$folder/quillpost-cli"
mkdir "$folder/data"
printf '%s|http://127.0.0.1/%s.xml|Utilities|\n' "Tidy Notes" a "Tidy Tools" b "O'Brien \"Pro\" \$5" c \
  "Plain" d "Wow!ec \"Now\"!" e > "$folder/data/products.dat"
printf 'Other Title|http://127.0.0.1/e.xml|Utilities|\n' > "$folder/other.dat"
HOME="$folder" XDG_DATA_HOME="" XDG_CONFIG_HOME=""
# shellcheck source=../../dist/completion/quillpost-cli
source "$2"
cli="$folder/quillpost-cli"
site=$("$cli" sites | head -n 1 | cut -f 1)
failures=0

# complete WORD... : COMPREPLY for the last word, as typed so far.
complete_words() {
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  COMPREPLY=()
  _quillpost_cli
}
# expect WANTED WORD... : the replies, each as the shell reads it, are WANTED (a "|"-joined list).
expect() {
  local wanted=$1 got=() reply
  shift
  complete_words "$@"
  for reply in "${COMPREPLY[@]}"; do
    eval "set -- $reply" && got+=("$1")
  done
  local joined
  joined=$(IFS='|' && echo "${got[*]}")
  if [ "$joined" != "$wanted" ]; then
    echo "completing [${COMP_WORDS[*]}]: got [$joined] (replies: ${COMPREPLY[*]}), wanted [$wanted]"
    failures=$((failures + 1))
  fi
}

expect "submit" "$cli" subm
expect "--speed" "$cli" submit --sp
expect "--skip-accepted" "$cli" submit --ski
expect "--no-history" "$cli" test-pads --no
# Titles from the catalogue the command reads by default, quoted as the word began.
expect "Tidy Notes|Tidy Tools" "$cli" submit --product Tidy
expect "Tidy Notes" "$cli" submit --product 'Tidy\ N'
expect "Tidy Notes|Tidy Tools" "$cli" test-pads --product '"Tidy'
expect "O'Brien \"Pro\" \$5" "$cli" validate-pads --product "'O"
expect "O'Brien \"Pro\" \$5" "$cli" submit --product '"O'
expect "O'Brien \"Pro\" \$5" "$cli" history --product O
# --products on the line names the catalogue instead.
expect "Other Title" "$cli" submit --products "$folder/other.dat" --product ""
expect "" "$cli" submit --products "$folder/missing.dat" --product ""
expect "" "$cli" submit --products /dev/zero --product "" # not a file: not read (it would never end)
# Sites as `quillpost-cli sites` lists them.
prefix=${site:0:3}
expect "$("$cli" sites | cut -f 1 | awk -v p="$prefix" 'index($0, p) == 1' | paste -sd '|')" "$cli" submit --site "$prefix"
expect "Failed" "$cli" history --outcome F

# expect_typed TITLE WORD... : the one reply, typed into an interactive bash (history expansion on,
# an "echo" in its history), reads back as TITLE.
expect_typed() {
  local title=$1 got
  shift
  complete_words "$@"
  got=$(printf '%s\n' 'echo earlier >/dev/null' "printf '<%s>\\n' ${COMPREPLY[0]-}" |
    HISTFILE=/dev/null bash --norc --noprofile -i 2>/dev/null | grep '^<')
  if [ "${#COMPREPLY[@]}" -ne 1 ] || [ "$got" != "<$title>" ]; then
    echo "typing the completion of [${COMP_WORDS[*]}]: got [$got] (replies: ${COMPREPLY[*]}), wanted [<$title>]"
    failures=$((failures + 1))
  fi
}
for typed in W '"W' "'W" '"Wow"\!"e'; do
  expect_typed "Wow!ec \"Now\"!" "$cli" submit --product "$typed"
done

[ -n "$site" ] && [ "$failures" -eq 0 ]
