#!/usr/bin/env bash
# Builds the libFuzzer targets with clang, replays the committed corpus and
# regression inputs through each, then fuzzes each target for a bounded time.
#
#   fuzz/run.sh [BUILD_DIR] [SECONDS] [TARGET...]
#
#   BUILD_DIR  clang build folder (default: <repo>/build-fuzz); configured
#              with -DDECKEDITOR_FUZZ=ON when it has no CMakeCache.txt yet
#   SECONDS    fuzzing time per target (default 30; 0 replays only)
#   TARGET     catalogue savedata decode export (default: all)
#
# The fuzzers work on a temporary copy of the corpus, so the committed corpus
# is never changed. Crash inputs are kept in BUILD_DIR/fuzz-artifacts/ (add
# them under fuzz/regressions/<target>/ once understood). Without clang (or
# without its libFuzzer runtime) nothing runs and the exit status is 0; the
# replay then happens through ctest in the sanitizer build. The last line of
# the output is a one-line summary; the exit status is 1 after any failure.
set -u

here=$(cd "$(dirname "$0")" && pwd)
repo=$(dirname "$here")
build=${1:-$repo/build-fuzz}
seconds=${2:-30}
shift $(( $# < 2 ? $# : 2 ))
targets=("$@")
[ ${#targets[@]} -eq 0 ] && targets=(catalogue savedata decode export)

case $seconds in
    ''|*[!0-9]*) echo "fuzz/run.sh: SECONDS must be a whole number, not '$seconds'" >&2; exit 2 ;;
esac
cxx=$(command -v clang++-14 || command -v clang++ || true)
cc=$(command -v clang-14 || command -v clang || true)
if [ -z "$cxx" ] || [ -z "$cc" ]; then
    echo "fuzz summary: SKIPPED, clang not found (the sanitizer build's ctest replays the corpus)"
    exit 0
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/deckfuzz-run.XXXXXX")
# The targets make their private game folders under TMPDIR; a crashing run
# cannot remove its own, so they all go into a folder of this run's, in
# memory where possible: every input writes and syncs files there.
games=$(mktemp -d /dev/shm/deckfuzz-games.XXXXXX 2>/dev/null || mktemp -d "$work/games.XXXXXX")
trap 'rm -rf "$work" "$games"' EXIT
export TMPDIR=$games

probe=$work/probe.cpp
echo 'extern "C" int LLVMFuzzerTestOneInput(const unsigned char*, unsigned long) { return 0; }' > "$probe"
if ! "$cxx" -fsanitize=fuzzer,address,undefined "$probe" -o "$work/probe" 2> "$work/probe.log"; then
    cat "$work/probe.log"
    echo "fuzz summary: SKIPPED, $cxx cannot link libFuzzer programs (install libclang-rt-14-dev)"
    exit 0
fi

mkdir -p "$build" && build=$(cd "$build" && pwd)
echo "== building the fuzz targets in $build with $cxx"
if [ ! -f "$build/CMakeCache.txt" ]; then
    if ! CC=$cc CXX=$cxx cmake -S "$repo" -B "$build" -DDECKEDITOR_FUZZ=ON -DDECKEDITOR_WITH_QT=OFF \
            -DDECKEDITOR_TESTS=OFF -DDECKEDITOR_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo > "$work/configure.log" 2>&1; then
        cat "$work/configure.log"
        echo "fuzz summary: FAILED, cmake could not configure $build"
        exit 1
    fi
fi
if ! cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}" > "$work/build.log" 2>&1; then
    tail -n 40 "$work/build.log"
    echo "fuzz summary: FAILED, the fuzz targets did not build"
    exit 1
fi

artifacts=$build/fuzz-artifacts
mkdir -p "$artifacts"
failures=()
replayed=0
results=()

for target in "${targets[@]}"; do
    program=$build/fuzz/fuzz_$target
    inputs=()
    for dir in "$here/corpus/$target" "$here/regressions/$target"; do
        [ -d "$dir" ] && inputs+=("$dir")
    done
    count=$(find "${inputs[@]}" -type f | wc -l)
    echo "== replay $target: $count inputs"
    replayed=$((replayed + count))
    if ! "$program" -runs=0 -artifact_prefix="$artifacts/$target-" "${inputs[@]}" > "$work/replay-$target.log" 2>&1; then
        tail -n 30 "$work/replay-$target.log"
        failures+=("replay:$target")
    fi
done

if [ "$seconds" -gt 0 ]; then
    for target in "${targets[@]}"; do
        program=$build/fuzz/fuzz_$target
        corpus=$work/corpus-$target
        mkdir -p "$corpus" "$work/jobs-$target"
        cp -R "$here/corpus/$target/." "$corpus/"
        [ -d "$here/regressions/$target" ] && cp -R "$here/regressions/$target/." "$corpus/"
        echo "== fuzz $target for ${seconds} s"
        before=$(ls "$artifacts" | wc -l)
        # -jobs runs the fuzzer in a child whose output goes to fuzz-0.log in
        # the current folder.
        (cd "$work/jobs-$target" &&
            "$program" -jobs=1 -max_total_time="$seconds" -print_final_stats=1 \
                -artifact_prefix="$artifacts/$target-" "$corpus" > parent.log 2>&1)
        status=$?
        log=$work/jobs-$target/fuzz-0.log
        after=$(ls "$artifacts" | wc -l)
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" 2>/dev/null | grep -o '[0-9]*$' | tail -n 1)
        speed=$(grep -o 'stat::average_exec_per_sec: *[0-9]*' "$log" 2>/dev/null | grep -o '[0-9]*$' | tail -n 1)
        cov=$(grep -o 'cov: [0-9]*' "$log" 2>/dev/null | tail -n 1 | grep -o '[0-9]*')
        if [ "$status" -ne 0 ] || [ "$after" -gt "$before" ]; then
            grep -E -A 30 'ERROR|invariant broken|runtime error' "$log" | head -n 60
            echo "   crash input(s) kept in $artifacts"
            failures+=("fuzz:$target")
        fi
        echo "   $target: ${runs:-?} runs, ${speed:-?} exec/s, cov ${cov:-?}"
        results+=("$target ${runs:-?} runs")
    done
fi

summary="replayed $replayed inputs of ${#targets[@]} targets"
if [ "$seconds" -gt 0 ]; then
    joined=$(IFS=,; echo "${results[*]}")
    summary="$summary; fuzzed ${seconds} s each (${joined//,/, })"
fi
if [ ${#failures[@]} -gt 0 ]; then
    echo "fuzz summary: FAILED (${failures[*]}); $summary"
    exit 1
fi
echo "fuzz summary: OK; $summary"
