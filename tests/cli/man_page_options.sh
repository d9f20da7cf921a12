#!/usr/bin/env bash
# quillpost-cli(1) describes every command and every option the program's help shows: each
# command of `quillpost-cli --help` has a section "## COMMAND" in the page, and each option of
# `quillpost-cli COMMAND --help` (and of `COMMAND SUB --help` for a command with commands of its
# own) is named in that section or among the page's general options (the text before the
# first command's section); an option of `quillpost-cli --help` is named somewhere in the page.
#
#   man_page_options.sh QUILLPOST_CLI PAGE.scd COMPLETION
set -uo pipefail
cli=$1
page=$2
completion=$3
HOME=$(mktemp -d)
export HOME XDG_DATA_HOME="$HOME/data" XDG_CONFIG_HOME="$HOME/config"
trap 'rm -rf "$HOME"' EXIT

# The names a help text offers after a prefix, as the bash completion reads them.
# shellcheck source=../../dist/completion/quillpost-cli
source "$completion"
names() { _quillpost_cli_names "$1"; }
# The options a help text shows: long ones, and short ones written as "-h," "-h " or "[-h]".
options() {
  grep -oE -- '(^|[^A-Za-z0-9-])(--[a-z][a-z0-9-]*|-[A-Za-z]([ ,|]|\]|$))' | grep -oE -- '--?[A-Za-z][a-z0-9-]*' | sort -u
}
named() { # OPTION TEXT: whether TEXT names OPTION as a word of its own
  grep -qE -- "(^|[^A-Za-z0-9-])$1([^A-Za-z0-9-]|$)" <<< "$2"
}

general=$(awk '/^## /{ exit } { print }' "$page")
failures=0
checked=0
commands=$("$cli" --help | names quillpost-cli)
if ! grep -qx submit <<< "$commands"; then
  echo "no commands found in \"$cli --help\"" >&2
  exit 1
fi
# The program's own help sums up every command: each option it shows is somewhere in the page.
for option in $("$cli" --help | options); do
  checked=$((checked + 1))
  named "$option" "$(cat "$page")" || { echo "quillpost-cli $option: not in the page"; failures=$((failures + 1)); }
done
for command in $commands; do
  section=$(awk -v cmd="$command" '/^#+ / { split($0, w, " "); on = (w[1] == "##" && w[2] == cmd) } on' "$page")
  if [ -z "$section" ]; then
    echo "quillpost-cli $command: no section \"## $command\" in the page"
    failures=$((failures + 1))
    continue
  fi
  # "help --help" is the whole usage, whose options were looked for in the page above.
  [ "$command" = help ] && continue
  help=$("$cli" "$command" --help 2>&1)
  for sub in $(names "quillpost-cli $command" <<< "$help"); do
    # Only a word that the command takes as a command of its own: its --help succeeds.
    if subhelp=$("$cli" "$command" "$sub" --help 2>&1); then help+=$'\n'"$subhelp"; fi
  done
  for option in $(options <<< "$help"); do
    checked=$((checked + 1))
    named "$option" "$section" || named "$option" "$general" ||
      { echo "quillpost-cli $command $option: not in the page's section \"## $command\""; failures=$((failures + 1)); }
  done
done
echo "$checked options of $(wc -w <<< "$commands") commands checked, $failures missing"
[ "$checked" -ge 10 ] && [ "$failures" -eq 0 ]
