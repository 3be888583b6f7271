#!/usr/bin/env bash
# Start-up figures of the editor, each against an anchor measured in the same run:
#  - the main window: time from process start to the mapping of its window
#    with the caption "Zev DeckEditor 1.08.0" on an X display (Xvfb), as the
#    display reports it to window-mapped (no polling), for a plain Qt
#    Widgets dialog of the same shape (window-anchor) and for deckeditor,
#    RUNS times each, alternating, after one run of each to warm the caches;
#    medians and their ratio;
#  - peak resident memory of the anchor, and of deckeditor and its browser
#    process until the first 編集 and after it;
#  - the start-up core (core_bench StartupCore);
#  - deckeditor-cli -C DIR list as a whole process against cat of its two
#    input files (hyperfine, in alternating rounds so that a change of load
#    on the machine meets both alike), and its peak resident memory.
# Usage: bench/window-ready.sh [BUILD-DIR] [RUNS]
set -euo pipefail
export LC_ALL=C
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(mkdir -p "${1:-$root/build}" && cd "${1:-$root/build}" && pwd)
runs=${2:-5}

for tool in Xvfb xdotool hyperfine /usr/bin/time; do
  command -v "$tool" >/dev/null || { echo "window-ready.sh needs $tool: run scripts/install-deps.sh" >&2; exit 2; }
done
[ -f "$build/CMakeCache.txt" ] || cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2 --target deckeditor deckeditor-browser window-anchor window-mapped deckeditor-cli make-demo \
  core_bench >/dev/null

work=$(mktemp -d "${TMPDIR:-/tmp}/window-ready-XXXXXX")
xvfb=
cleanup() {
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null && wait "$xvfb" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
"$build/tools/make-demo" "$work/game" >/dev/null
game=$work/game/DeckEditor

# A display of our own.
for n in $(seq 90 140); do
  if [ ! -e "/tmp/.X$n-lock" ]; then display=:$n; break; fi
done
# -noreset: the server would otherwise reset whenever the last client has
# gone, between two runs, and refuse the next one meanwhile.
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >/dev/null 2>&1 &
xvfb=$!
export DISPLAY=$display
until xdotool getdisplaygeometry >/dev/null 2>&1; do
  kill -0 "$xvfb" 2>/dev/null || { echo "Xvfb did not start on $display" >&2; exit 1; }
  sleep 0.05
done
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

title='Zev DeckEditor 1.08.0'
peak_kib() { awk '/^VmHWM/ {print $2}' "/proc/$1/status" 2>/dev/null || echo 0; }

# Starts a program in the demo folder and waits for its window; sets pid,
# wid and took (microseconds from start to the window's mapping).
launch() {
  local start now watcher
  "$build/bench/window-mapped" "$title" >"$work/mapped" &
  watcher=$!
  until grep -q ready "$work/mapped" 2>/dev/null; do sleep 0.01; done
  now=$EPOCHREALTIME
  start=${now/./}
  (cd "$game" && exec "$@" >/dev/null 2>"$work/stderr") &
  pid=$!
  if ! wait "$watcher"; then
    echo "$1 showed no window:" >&2
    cat "$work/stderr" >&2
    exit 1
  fi
  read -r _ wid mapped <<<"$(grep mapped "$work/mapped")"
  took=$((mapped - start))
}

# Ends a program and whatever it started, and waits until they are gone.
finish() {
  local children
  children=$(pgrep -P "$1" || true)
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
  for child in $children; do
    for _ in $(seq 200); do kill -0 "$child" 2>/dev/null || break; sleep 0.05; done
  done
}

# The browser process of the editor $pid, once it exists.
browser_of() {
  local child=
  for _ in $(seq 400); do
    child=$(pgrep -P "$1" -x deckeditor-brow || true)
    [ -n "$child" ] && break
    sleep 0.05
  done
  echo "$child"
}

median() { tr ' ' '\n' | grep -v '^$' | sort -n | awk '{v[NR]=$1} END {print (NR % 2) ? v[(NR+1)/2] : (v[NR/2]+v[NR/2+1])/2}'; }

anchor_us=() editor_us=() anchor_kib=() editor_kib=() editor_after_kib=() browser_kib=() browser_after_kib=()
for program in "$build/bench/window-anchor" "$build/src/app/deckeditor"; do
  launch "$program"
  finish "$pid"
done
for i in $(seq "$runs"); do
  launch "$build/bench/window-anchor"
  anchor_us+=("$took")
  sleep 1
  anchor_kib+=("$(peak_kib "$pid")")
  finish "$pid"

  launch "$build/src/app/deckeditor"
  editor_us+=("$took")
  child=$(browser_of "$pid")
  [ -n "$child" ] || { echo "deckeditor started no browser process" >&2; exit 1; }
  sleep 3  # the browser window is made and its page loaded meanwhile
  editor_kib+=("$(peak_kib "$pid")")
  browser_kib+=("$(peak_kib "$child")")
  # 編集: the tab bar has the focus; the fourth tab.
  xdotool windowfocus --sync "$wid"
  xdotool key Right Right Right
  shown=
  for _ in $(seq 400); do
    shown=$(xdotool search --onlyvisible --pid "$child" 2>/dev/null || true)
    [ -n "$shown" ] && break
    sleep 0.05
  done
  [ -n "$shown" ] || { echo "編集 showed no browser window" >&2; exit 1; }
  sleep 1
  editor_after_kib+=("$(peak_kib "$pid")")
  browser_after_kib+=("$(peak_kib "$child")")
  finish "$pid"
  echo "run $i: anchor $((anchor_us[-1] / 1000)) ms, deckeditor $((editor_us[-1] / 1000)) ms" >&2
done

mib() { echo "$*" | median | awk '{printf "%.1f MiB", $1 / 1024}'; }
echo "Window ready on $display (process start to its window mapped), medians of $runs runs each, alternating:"
awk -v a="$(echo "${anchor_us[*]}" | median)" -v e="$(echo "${editor_us[*]}" | median)" 'BEGIN {
  printf "  plain Qt dialog (anchor)  %6.1f ms\n  deckeditor                %6.1f ms\n", a / 1000, e / 1000
  printf "  ratio %.2f (goal: at most 1.25)\n", e / a }'
echo "Peak resident memory, medians:"
echo "  plain Qt dialog (anchor)          $(mib "${anchor_kib[*]}")"
echo "  deckeditor until the first 編集    $(mib "${editor_kib[*]}") (its browser process $(mib "${browser_kib[*]}"))"
echo "  deckeditor after it               $(mib "${editor_after_kib[*]}") (its browser process $(mib "${browser_after_kib[*]}"))"

core=$(cd "$build" && bench/core_bench --benchmark_filter='^StartupCore$' --benchmark_repetitions=10 \
         --benchmark_report_aggregates_only=true 2>/dev/null | awk '/StartupCore_median/ {print $2, $3}')
echo "Start-up core (save data, 53 decks, the window's card list): median $core (goal: under 1 ms)"

cli="$build/src/cli/deckeditor-cli -C $game list"
cat_files="cat $work/game/File/Save.dat $game/list.xml"
# Short rounds, each timing both, so that the ratio of a round compares the
# two under the same load.
cli_ms=() cat_ms=() ratios=()
for round in $(seq 20); do
  hyperfine -N --warmup 3 --runs 20 --export-csv "$work/cli.csv" "$cli" "$cat_files" >/dev/null 2>&1
  c=$(awk -F, 'NR == 2 {print $4 * 1000}' "$work/cli.csv")
  k=$(awk -F, 'NR == 3 {print $4 * 1000}' "$work/cli.csv")
  cli_ms+=("$c") cat_ms+=("$k") ratios+=("$(awk -v c="$c" -v k="$k" 'BEGIN {print c / k}')")
done
rss=$(/usr/bin/time -f %M $cli 2>&1 >/dev/null | tail -n 1)
awk -v c="$(echo "${cli_ms[*]}" | median)" -v k="$(echo "${cat_ms[*]}" | median)" \
    -v r="$(echo "${ratios[*]}" | median)" -v rss="$rss" 'BEGIN {
  printf "Command line, medians of 20 rounds of 20 runs each: deckeditor-cli list %.2f ms, cat of its two files %.2f ms,\n", c, k
  printf "  ratio %.2f (goal: at most 2); deckeditor-cli list peak resident memory %.1f MiB\n", r, rss / 1024 }'
