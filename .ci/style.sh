#!/usr/bin/env bash
# Style stage of CI, run first because it takes a second: every tracked C++ file is
# formatted as .clang-format says, and every tracked text file ends with a line end and has
# no blank (space, tab, CR) at the end of a line. Files that .gitattributes marks -text
# (examples/, tests/data/, fuzz/corpus/) are byte-exact data and are not looked at.
set -euo pipefail
cd "$(dirname "$0")/.."

source .ci/lib.sh

if ! command -v clang-format >/dev/null 2>&1; then
    apt_install clang-format
fi

failed=0

# C++ formatting.
mapfile -d '' sources < <(git ls-files -z -- '*.cpp' '*.h')
if ! clang-format --dry-run -Werror "${sources[@]}"; then
    echo "style: run clang-format -i on the files above"
    failed=1
fi

# Text files: what git sees as text, less what .gitattributes marks -text.
text_files=()
while IFS= read -r -d '' entry; do
    info=${entry%%$'\t'*}
    path=${entry#*$'\t'}
    case "$info" in
        i/-text* | *attr/-text*) continue ;;
    esac
    text_files+=("$path")
done < <(git ls-files -z --eol)

if grep -n -H -E $'[ \t\r]+$' -- "${text_files[@]}"; then
    echo "style: blanks at the end of the lines above"
    failed=1
fi
for path in "${text_files[@]}"; do
    # $(...) drops a final line end: what is left is a last byte that is not one.
    if [ -s "$path" ] && [ -n "$(tail -c 1 -- "$path")" ]; then
        echo "$path: no line end at the end of the file"
        failed=1
    fi
done

if [ "$failed" -ne 0 ]; then
    exit 1
fi
echo "style: ${#sources[@]} C++ files formatted, ${#text_files[@]} text files clean"
