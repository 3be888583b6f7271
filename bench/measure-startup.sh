#!/bin/sh
# Start-up time and peak memory of deckeditor on the demo data (53 decks, a
# 600-card list), offscreen. Usage: bench/measure-startup.sh [build-dir] [runs]
set -eu
build=$(cd "${1:-build}" && pwd)
runs=${2:-5}
demo=$(mktemp -d "${TMPDIR:-/tmp}/deckeditor-measure-XXXXXX")
trap 'rm -rf "$demo"' EXIT
"$build/tools/make-demo" "$demo/game" >/dev/null
cd "$demo/game/DeckEditor"
export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
i=1
while [ "$i" -le "$runs" ]; do
    /usr/bin/time -f "process peak resident memory (time -v): %M KiB, wall %e s" \
        "$build/src/app/deckeditor" --measure-startup 2>&1 | grep -E "^(window|peak|process|  widgets)"
    i=$((i + 1))
done
