#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, replays the committed corpus and
# regression inputs through each, then fuzzes each for SECONDS (0: replay
# only) on a throw-away copy of its corpus. Crash inputs are kept in
# BUILD_DIR/fuzz-artifacts/. Without clang it skips; after any failure the
# exit status is 1.
#
#   fuzz/run.sh [BUILD_DIR] [SECONDS] [TARGET...]   (build-fuzz, 30, all four)
set -u
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build-fuzz}
seconds=${2:-30}
shift $(($# < 2 ? $# : 2))
targets=("$@")
[ $# -gt 0 ] || targets=(catalogue savedata export browser)
[[ $seconds =~ ^[0-9]+$ ]] || { echo "fuzz/run.sh: SECONDS must be a whole number, not '$seconds'" >&2; exit 2; }
cxx=$(command -v clang++-14 || command -v clang++) || { echo "fuzz summary: SKIPPED, clang not found"; exit 0; }

mkdir -p "$build/fuzz-artifacts" && build=$(cd "$build" && pwd)
work=$(mktemp -d)
# The targets' game folders, where every input writes and syncs files: in
# memory where possible, and in this run's folder, since a crashing target
# cannot remove its own.
TMPDIR=$(mktemp -d /dev/shm/deckfuzz.XXXXXX 2>/dev/null || mktemp -d "$work/games.XXXXXX")
export TMPDIR
trap 'rm -rf "$work" "$TMPDIR"' EXIT

echo "== building the fuzz targets in $build with $cxx"
if [ ! -f "$build/CMakeCache.txt" ]; then
    CC=${cxx/clang++/clang} CXX=$cxx cmake -S "$here/.." -B "$build" -DDECKEDITOR_FUZZ=ON -DDECKEDITOR_WITH_QT=OFF \
        -DDECKEDITOR_TESTS=OFF -DDECKEDITOR_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$work/build.log" 2>&1
fi
if ! cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}" >>"$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log"
    echo "fuzz summary: FAILED, the fuzz targets did not build"
    exit 1
fi

failed=()
for target in "${targets[@]}"; do
    run=("$build/fuzz/fuzz_$target" -artifact_prefix="$build/fuzz-artifacts/$target-")
    log=$work/$target.log
    echo "== $target: replaying $(find "$here/corpus/$target" "$here/regressions/$target" -type f | wc -l) inputs"
    if ! "${run[@]}" -runs=0 "$here/corpus/$target" "$here/regressions/$target" >"$log" 2>&1; then
        tail -n 30 "$log"
        failed+=("replay:$target")
        continue
    fi
    [ "$seconds" -gt 0 ] || continue
    echo "== $target: fuzzing for $seconds s"
    # New inputs go into the first folder: a copy, so that the corpus stays as committed.
    cp -R "$here/corpus/$target" "$work/corpus-$target"
    if ! "${run[@]}" -max_total_time="$seconds" -print_final_stats=1 "$work/corpus-$target" \
        "$here/regressions/$target" >"$log" 2>&1; then
        grep -E -A 30 'ERROR|invariant broken|runtime error' "$log" | head -n 60
        failed+=("fuzz:$target")
    fi
    awk '/number_of_executed_units/ { r = $2 } /average_exec_per_sec/ { s = $2 } END { print "   " r " runs, " s " exec/s" }' "$log"
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzz summary: FAILED (${failed[*]})"
    exit 1
fi
echo "fuzz summary: OK (${targets[*]}; $seconds s of fuzzing each)"
