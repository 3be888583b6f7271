#!/usr/bin/env bash
# Lines of code (cloc's "code" column) of the product and of the tests
# (tests/ and fuzz/), and the tests' share of all of it. Data that is not
# written by hand is left out: the card list and the fuzz inputs.
#
#   scripts/line-counts.sh [-v]     -v also lists the counts by folder
set -euo pipefail
cd "$(dirname "$0")/.."
command -v cloc >/dev/null || { echo "line-counts: cloc is not installed (apt-get install cloc)" >&2; exit 2; }

files=$(mktemp)
trap 'rm -f "$files" "$files".*' EXIT
git ls-files --cached --others --exclude-standard |
    grep -v -E '^data/list\.xml$|^fuzz/(corpus|regressions)/' |
    while IFS= read -r f; do [ -f "$f" ] && echo "$f"; done >"$files"
grep -E '^(tests|fuzz)/' "$files" >"$files.tests" || true
grep -v -E '^(tests|fuzz)/' "$files" >"$files.product" || true

# code LIST-FILE: the summed "code" column.
code() {
    [ -s "$1" ] || { echo 0; return; }
    cloc --quiet --csv --list-file="$1" | awk -F, '$2 == "SUM" { print $5 }'
}
product=$(code "$files.product")
tests=$(code "$files.tests")
total=$((product + tests))
echo "product $product"
echo "tests   $tests (tests/ and fuzz/)"
awk -v t="$tests" -v all="$total" 'BEGIN { printf "share   %.1f%% of %d\n", all ? 100 * t / all : 0, all }'

if [ "${1:-}" = "-v" ]; then
    for dir in $(cut -d/ -f1-2 "$files" | sort -u); do
        grep -E "^$dir(/|$)" "$files" >"$files.dir" || true
        printf '%6d  %s\n' "$(code "$files.dir")" "$dir"
    done
fi
