#!/usr/bin/env bash
# Builds the editor and starts it on the bundled demo data. The demo game
# folder is made once in demo/ and then kept, with whatever you saved in it;
# `rm -rf demo` starts afresh.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

bash scripts/install-deps.sh --run-only
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDECKEDITOR_WITH_QT=ON -DDECKEDITOR_SANITIZE=OFF \
  -DDECKEDITOR_TESTS=OFF -DDECKEDITOR_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc 2>/dev/null || echo 2)" --target deckeditor deckeditor-cli make-demo

build/tools/make-demo demo

# As root, Qt WebEngine runs only without its sandbox; the program sees to that itself.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "No display found: start this from a desktop session (or set DISPLAY)." >&2
  exit 1
fi
cd demo/DeckEditor
exec "$root/build/src/app/deckeditor" "$@"
