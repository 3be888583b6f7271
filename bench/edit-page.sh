#!/usr/bin/env bash
# Time from choosing 編集 to a deck page that shows the deck: an earlier build
# (the anchor) against this tree's, alternating in the same run.
# Usage: bench/edit-page.sh BEFORE-DIR [BUILD-DIR] [RUNS]
#   BEFORE-DIR holds deckeditor, deckeditor-browser and deckmaker.htm of the
#   earlier build, e.g. from a work tree of an older commit:
#     cmake --build OLD/build --target deckeditor deckeditor-browser
#     cp OLD/build/src/app/deckeditor OLD/build/src/app/deckeditor-browser OLD/data/deckmaker.htm BEFORE-DIR/
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
before=$(cd "${1:?usage: bench/edit-page.sh BEFORE-DIR [BUILD-DIR] [RUNS]}" && pwd)
build=$(mkdir -p "${2:-$root/build}" && cd "${2:-$root/build}" && pwd)
runs=${3:-7}
for tool in xvfb-run dbus-run-session xdotool; do
  command -v "$tool" >/dev/null || { echo "edit-page.sh needs $tool: run scripts/install-deps.sh" >&2; exit 2; }
done
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target deckeditor deckeditor-browser >/dev/null
exec xvfb-run -a -s '-screen 0 1280x1024x24 -noreset' dbus-run-session -- /usr/bin/python3 "$root/bench/edit-page.py" \
  "$before/deckeditor" "$before/deckmaker.htm" "$build/src/app/deckeditor" "$root/data/deckmaker.htm" "$runs"
