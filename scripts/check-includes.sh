#!/usr/bin/env bash
# Checks that every include points down a floor, and prints each one that does not:
#   - only src/app/ includes app/ files (the main window sits on top of everything);
#   - a Qt-free file (any file of src/, tests/, bench/ or fuzz/ outside a ui/ folder)
#     includes neither a ui/ file nor a Qt header;
#   - src/common/ includes only common/ files, and src/net/ only net/ and common/ files
#     (the bottom floors);
#   - the middle floors, from the bottom up: pad and lang, catalogue, history and manual,
#     submit; a file of one of them includes no file of a floor above its own;
#   - only src/app/ui/ includes TForm1.h: the pages know nothing of the window that holds them.
# Exit code 1 when any include breaks a rule, 0 otherwise.
set -euo pipefail
shopt -s lastpipe # report() runs in this shell, at the end of each pipeline
cd "$(dirname "$0")/.."

# After grep -nH: "file:line:" and the include directive.
include='^[^:]+:[0-9]+:[[:space:]]*#[[:space:]]*include[[:space:]]*'
found=""

# The include lines of the given files (grep's "file:line:text"), NUL-separated names on stdin.
includes() {
    xargs -0 -r grep -nHE '^[[:space:]]*#[[:space:]]*include' || true
}

sources() {
    find "$@" -type f \( -name '*.h' -o -name '*.cpp' \) -print0 2>/dev/null
}

# Adds the lines of stdin to what is reported, under `rule`.
report() {
    local rule=$1 lines
    lines=$(cat)
    [ -z "$lines" ] && return 0
    found+="${lines//$'\n'/$'\n'}"$'\n'"    ^ $rule"$'\n'
}

for dir in src/*/; do
    [ "$dir" = src/app/ ] && continue
    sources "$dir" | includes | grep -E "${include}\"app/" | report "only src/app/ includes app/ files" || true
done

sources src tests bench fuzz | grep -zv '/ui/' | includes | grep -E "${include}(<Q|\"([^\"]*/)?ui/)" |
    report "a file outside ui/ folders is Qt-free: no Qt header, no ui/ file" || true

sources src/common | includes | grep -E "${include}\"" | grep -vE "${include}\"common/" |
    report "src/common/ includes only common/ files" || true

sources src/net | includes | grep -E "${include}\"" | grep -vE "${include}\"(net|common)/" |
    report "src/net/ includes only net/ and common/ files" || true

# The middle floors, bottom up; the subsystems of one floor are separated by blanks.
floors=("pad lang" catalogue "history manual" submit)
for ((i = 0; i < ${#floors[@]} - 1; ++i)); do
    above="${floors[*]:i+1}"
    for sub in ${floors[i]}; do
        sources "src/$sub" | includes | grep -E "${include}\"(${above// /|})/" |
            report "src/$sub/ includes no file of a floor above it (${above// /, })" || true
    done
done

sources src | grep -zv '^src/app/ui/' | includes | grep -E "${include}\"([^\"]*/)?TForm1\.h\"" |
    report "only src/app/ui/ includes TForm1.h" || true

if [ -n "$found" ]; then
    printf '%s' "$found"
    echo "check-includes: includes that point up a floor (see above)" >&2
    exit 1
fi
