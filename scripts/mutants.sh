#!/usr/bin/env bash
# Mutation check: plants slips, one at a time, in a scratch copy of the tree
# (never in this one), rebuilds the core without Qt, runs ctest and prints
# each mutant as killed (some test failed or timed out) or survived (every
# test passed), then the score.
#
#   scripts/mutants.sh [FILTER]    the slips listed in tests/mutants/list, only
#                                  those whose id or file matches the regular
#                                  expression FILTER
#   scripts/mutants.sh --sample N [--seed S]
#                                  N mutants drawn by operators over the core's
#                                  sources (scripts/mutants-sample.py), the
#                                  same N for the same seed (default 1)
#   scripts/mutants.sh --sample N [--seed S] --only ID[,ID...]
#                                  of those, only the ones named: after new
#                                  tests, runs a seed's survivors again
#
# MUTANTS_DIR (default /tmp/deckeditor-mutants) keeps the copy and its build
# between runs, so a second run builds only what changed.
#
# From the list, a mutant whose text is not found exactly once in its file,
# or that does not compile, is an error: the run ends with status 2.
# Otherwise the status is 0 when every mutant was killed and 1 when some
# survived.
#
# Drawn mutants that do not compile are dropped and counted. The ones
# recorded in tests/mutants/equivalent (no test can tell them from the
# product: the reason is given there) are never drawn; to record a survivor,
# append what `scripts/mutants-sample.py show . ID` prints, with the reason.
# The score is killed of killed + survived.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
list=${MUTANTS_LIST:-$root/tests/mutants/list}
work=${MUTANTS_DIR:-${TMPDIR:-/tmp}/deckeditor-mutants}
sample=0 seed=1 filter= only=
while [ $# -gt 0 ]; do
    case $1 in
    --sample) sample=${2:?--sample needs a number}; shift 2 ;;
    --seed) seed=${2:?--seed needs a value}; shift 2 ;;
    --only) only=${2:?--only needs ids}; shift 2 ;;
    *) filter=$1; shift ;;
    esac
done
jobs=${MUTANTS_JOBS:-2}
tree=$work/tree
build=$work/build
logs=$work/logs
python=$(command -v python3) || { echo "mutants: python3 is needed" >&2; exit 2; }

# helper COMMAND ARGS...: reads the list, copies the tree, plants a mutant.
helper() {
    "$python" - "$@" <<'PY'
import os, re, shutil, subprocess, sys

def entries(path):
    """The list's entries: '[id]', then 'key: value' lines (file, from, to, why, equivalent)."""
    out, current = [], None
    for number, line in enumerate(open(path, encoding="utf-8"), 1):
        line = line.rstrip("\n")
        if not line.strip() or line.startswith("#"):
            continue
        m = re.fullmatch(r"\[([A-Za-z0-9_.-]+)\]", line)
        if m:
            current = {"id": m.group(1), "line": number}
            out.append(current)
            continue
        m = re.fullmatch(r"(file|from|to|why|equivalent):(?: (.*))?", line)
        if not m or current is None or (m.group(1) in current and m.group(1) not in ("from", "to")):
            sys.exit(f"{path}:{number}: cannot read this line")
        # A repeated from or to continues the text on a new line.
        key, value = m.group(1), m.group(2) or ""
        current[key] = current[key] + "\n" + value if key in current else value
    for e in out:
        missing = [k for k in ("file", "from", "to", "why") if k not in e]
        if missing:
            sys.exit(f"{path}:{e['line']}: mutant {e['id']} lacks {', '.join(missing)}")
    ids = [e["id"] for e in out]
    if len(ids) != len(set(ids)):
        sys.exit(f"{path}: an id is used twice")
    return out

command = sys.argv[1]
if command == "ids":  # ids LIST FILTER: id TAB file TAB why TAB equivalent, one a line
    pattern = re.compile(sys.argv[3])
    for e in entries(sys.argv[2]):
        if pattern.search(e["id"]) or pattern.search(e["file"]):
            print("\t".join([e["id"], e["file"], e["why"], e.get("equivalent", "")]))
elif command == "sync":  # sync ROOT TREE: the tree's files as they are now, unchanged ones left alone
    src, dst = sys.argv[2], sys.argv[3]
    files = subprocess.run(["git", "-C", src, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
                           check=True, capture_output=True).stdout.decode().split("\0")
    wanted = {f for f in files if f and os.path.isfile(os.path.join(src, f))}
    for f in sorted(wanted):
        a, b = os.path.join(src, f), os.path.join(dst, f)
        if os.path.isfile(b) and open(a, "rb").read() == open(b, "rb").read():
            continue
        os.makedirs(os.path.dirname(b), exist_ok=True)
        shutil.copy2(a, b)
        os.utime(b)  # newer than any object built from an earlier copy
    for base, _, names in os.walk(dst):
        for n in names:
            rel = os.path.relpath(os.path.join(base, n), dst)
            if rel not in wanted:
                os.remove(os.path.join(dst, rel))
elif command == "apply":  # apply LIST ID TREE: plants the mutant; prints why it could not
    e = next(e for e in entries(sys.argv[2]) if e["id"] == sys.argv[3])
    path = os.path.join(sys.argv[4], e["file"])
    try:
        text = open(path, encoding="utf-8").read()
    except OSError as error:
        sys.exit(f"cannot read {e['file']}: {error.strerror}")
    found = text.count(e["from"])
    if found != 1 or not e["from"]:
        sys.exit(f"its text is found {found} times in {e['file']}, not once")
    open(path, "w", encoding="utf-8").write(text.replace(e["from"], e["to"]))
PY
}

sampler=$root/scripts/mutants-sample.py
if [ "$sample" -gt 0 ]; then
    mkdir -p "$work"
    drawn=$work/sample-$seed.json
    drawing=$("$python" "$sampler" draw "$root" "$root/tests/mutants/equivalent" "$seed" "$sample" "$drawn") || exit 2
    # id TAB file:line TAB operator TAB the mutated line, one a line
    ids=$("$python" -c 'import json, sys
for l in open(sys.argv[1], encoding="utf-8"):
    c = json.loads(l)
    if not sys.argv[2] or c["id"] in sys.argv[2].split(","):
        print("\t".join([c["id"], c["file"] + ":" + str(c["line"]), c["op"], c["to"].strip()]))' "$drawn" "$only")
    [ -n "$ids" ] || { echo "mutants: none of '$only' is drawn with seed $seed" >&2; exit 2; }
    echo "drew $sample with seed $seed ($drawing)"
else
    ids=$(helper ids "$list" "$filter") || exit 2
    [ -n "$ids" ] || { echo "mutants: no mutant matches '$filter'" >&2; exit 2; }
fi

mkdir -p "$tree" "$build" "$logs"
# One run at a time per scratch folder: a second would copy over the first's mutant.
exec 9>"$work/lock"
flock -n 9 || { echo "mutants: another run is using $work" >&2; exit 2; }
helper sync "$root" "$tree" || exit 2
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
# Each mutant relinks every test program: no debug information, light
# optimisation and lld (when there) keep that short. Containers check their
# indices, so that a slip that reads or writes past a vector's size is told
# even while it stays inside the vector's memory.
command -v ld.lld >/dev/null && launcher+=(-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld)
echo "configuring and building the unmutated core in $work"
if ! cmake -S "$tree" -B "$build" -DDECKEDITOR_WITH_QT=OFF -DDECKEDITOR_SANITIZE=OFF -DDECKEDITOR_BENCH=OFF \
    -DDECKEDITOR_TESTS=ON -DCMAKE_BUILD_TYPE=None "-DCMAKE_CXX_FLAGS=-O1 -D_GLIBCXX_ASSERTIONS" -DDECKEDITOR_RC_SHRINK=OFF -DDECK_TEST_TIMEOUT="${MUTANTS_TIMEOUT:-60}" "${launcher[@]}" >"$logs/configure" 2>&1 ||
    ! cmake --build "$build" -j"$jobs" >"$logs/build" 2>&1; then
    tail -n 40 "$logs/configure" "$logs/build" 2>/dev/null
    echo "mutants: the unmutated tree does not build" >&2
    exit 2
fi
# The tests' temporary folders go in a folder of the run's own, emptied before
# each mutant's tests: a test killed by the time limit cannot remove its own.
# Open to all, as /tmp is: some tests run as a user who is not root.
scratch=$work/tmp
fresh_scratch() { rm -rf "$scratch" && mkdir -m 1777 "$scratch"; }
# ctest OUTPUT-FILE: every test, with a time limit each; a hanging mutant is killed by the limit.
run_tests() {
    fresh_scratch && TMPDIR=$scratch ctest --test-dir "$build" -j"$jobs" --timeout "${MUTANTS_TIMEOUT:-60}" >"$1" 2>&1
}
if ! run_tests "$logs/baseline"; then
    grep -E '^\s+[0-9]+ - ' "$logs/baseline"
    echo "mutants: tests fail without any mutant" >&2
    exit 2
fi

killed=0 survived=0 errors=0 equivalent=0
started=$(date +%s)
if [ "$sample" -gt 0 ]; then
    broken=0
    # The tests that took over 2 s without a mutant run only once the quick
    # ones passed: most mutants are told by a quick test.
    slow=$(sed -n -E 's/^.*Test +#[0-9]+: ([^ ]+) \.+ +Passed +([0-9.]+) sec$/\2 \1/p' "$logs/baseline" |
        awk '$1 > 2 { gsub(/\./, "\\.", $2); printf "%s%s", sep, $2; sep = "|" }')
    [ -n "$slow" ] || slow='^$'
    slow="^($slow)\$"
    quick_then_slow() {
        fresh_scratch &&
            TMPDIR=$scratch ctest --test-dir "$build" -j"$jobs" --timeout "${MUTANTS_TIMEOUT:-60}" --stop-on-failure -E "$slow" >"$1" 2>&1 &&
            TMPDIR=$scratch ctest --test-dir "$build" -j"$jobs" --timeout "${MUTANTS_TIMEOUT:-60}" --stop-on-failure -R "$slow" >>"$1" 2>&1
    }
    while IFS=$'\t' read -r id where op to; do
        file=${where%:*}
        cp "$tree/$file" "$work/original"
        if ! problem=$("$python" "$sampler" apply "$drawn" "$id" "$tree" 2>&1); then
            printf '%-10s %s %s\n' ERROR "$id" "$problem"
            errors=$((errors + 1))
        elif ! cmake --build "$build" -j"$jobs" >"$logs/$id.build" 2>&1; then
            printf '%-13s %s %-36s %-9s %s\n' "not-compiling" "$id" "$where" "$op" "$to"
            broken=$((broken + 1))
        # The first failing test is enough to tell.
        elif quick_then_slow "$logs/$id.test"; then
            printf '%-13s %s %-36s %-9s %s\n' survived "$id" "$where" "$op" "$to"
            survived=$((survived + 1))
        else
            first=$(sed -n -E 's/^\s+[0-9]+ - ([^ ]+) \((.*)\)$/\1/p' "$logs/$id.test" | head -n 1)
            printf '%-13s %s %-36s %-9s by %s\n' killed "$id" "$where" "$op" "$first"
            killed=$((killed + 1))
        fi
        cp "$work/original" "$tree/$file"
    done <<<"$ids"
    total=$((killed + survived))
    [ -z "$only" ] || echo "only $(wc -l <<<"$ids") of them: $only"
    echo "seed $seed: drew $sample, $broken not compiling, killed $killed, survived $survived," \
        "score $(awk -v k=$killed -v t=$total 'BEGIN { printf "%.1f", t ? 100 * k / t : 0 }')% ($drawing)," \
        "$errors errors, $(($(date +%s) - started)) s"
    [ "$errors" -eq 0 ] || exit 2
    [ "$survived" -eq 0 ]
    exit
fi
while IFS=$'\t' read -r id file why equiv; do
    if [ -n "$equiv" ]; then
        printf '%-10s %-34s %s\n' equivalent "$id" "$equiv"
        equivalent=$((equivalent + 1))
        continue
    fi
    cp "$tree/$file" "$work/original" 2>/dev/null
    if ! problem=$(helper apply "$list" "$id" "$tree" 2>&1); then
        printf '%-10s %-34s %s\n' ERROR "$id" "$problem"
        errors=$((errors + 1))
        continue
    fi
    if ! cmake --build "$build" -j"$jobs" >"$logs/$id.build" 2>&1; then
        printf '%-10s %-34s %s\n' ERROR "$id" "does not compile (see $logs/$id.build)"
        errors=$((errors + 1))
    elif run_tests "$logs/$id.test"; then
        printf '%-10s %-34s %s\n' survived "$id" "$why"
        survived=$((survived + 1))
    else
        failed=$(sed -n -E 's/^\s+[0-9]+ - ([^ ]+) \((.*)\)$/\1 (\2)/p' "$logs/$id.test")
        first=$(head -n 1 <<<"$failed")
        more=$(($(wc -l <<<"$failed") - 1))
        [ "$more" -gt 0 ] && first="$first and $more more"
        printf '%-10s %-34s by %s\n' killed "$id" "$first"
        killed=$((killed + 1))
    fi
    # Put the file back; its new time makes the next build compile it again.
    cp "$work/original" "$tree/$file"
done <<<"$ids"

total=$((killed + survived))
echo "killed $killed of $total ($(awk -v k=$killed -v t=$total 'BEGIN { printf "%.1f", t ? 100 * k / t : 0 }')%)," \
    "$errors errors, $equivalent marked equivalent, $(($(date +%s) - started)) s"
[ "$errors" -eq 0 ] || exit 2
[ "$survived" -eq 0 ]
