#!/usr/bin/env bash
# Builds everything and runs every test: the full build with the Qt program,
# the core again under AddressSanitizer and UndefinedBehaviorSanitizer (with
# the fuzz corpus replayed), and the libFuzzer targets for a bounded time.
set -uo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
jobs=$(nproc 2>/dev/null || echo 2)
fuzz_seconds=${FUZZ_SECONDS:-30}

bash scripts/install-deps.sh || { echo "installing the dependencies failed"; exit 1; }

# Qt and Qt WebEngine need no display for the tests; as root WebEngine needs its sandbox off.
export QT_QPA_PLATFORM=offscreen
[ "$(id -u)" -eq 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1

status=0
passed=0
failed=0
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT

# suite NAME BUILD-DIR CMAKE-ARGS...: configure, build and run one ctest suite.
suite() {
  local name=$1 dir=$2
  shift 2
  echo "=== $name"
  if ! cmake -S "$root" -B "$dir" "$@" >"$logs/$name.configure" 2>&1; then
    cat "$logs/$name.configure"; echo "$name: configuring failed"; status=1; return
  fi
  if ! cmake --build "$dir" -j"$jobs" >"$logs/$name.build" 2>&1; then
    tail -n 60 "$logs/$name.build"; echo "$name: build failed"; status=1; return
  fi
  ctest --test-dir "$dir" --output-on-failure -j"$jobs" 2>&1 | tee "$logs/$name.test" | grep -v -E '^ +Start|Test +#[0-9]+: .* Passed'
  local line
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$logs/$name.test" | tail -n 1)
  if [ -z "$line" ]; then
    echo "$name: ctest did not finish"; status=1; return
  fi
  local total fails
  total=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$line")
  fails=$(sed -E 's/.* ([0-9]+) tests failed.*/\1/' <<<"$line")
  passed=$((passed + total - fails))
  failed=$((failed + fails))
  [ "$fails" -eq 0 ] || status=1
}

suite full "$root/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DDECKEDITOR_WITH_QT=ON -DDECKEDITOR_SANITIZE=OFF \
  -DDECKEDITOR_TESTS=ON -DDECKEDITOR_BENCH=ON
suite sanitizers "$root/build-asan" -DDECKEDITOR_SANITIZE=ON -DDECKEDITOR_TESTS=ON -DDECKEDITOR_WITH_QT=OFF -DDECKEDITOR_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug

echo "=== fuzzing (${fuzz_seconds} s per target)"
if command -v clang++-14 >/dev/null 2>&1 || command -v clang++ >/dev/null 2>&1; then
  if bash fuzz/run.sh "$root/build-fuzz" "$fuzz_seconds"; then
    passed=$((passed + 1))
  else
    failed=$((failed + 1)); status=1
  fi
else
  echo "clang is not installed: the libFuzzer runs are skipped (the corpus was replayed above)"
fi

echo "$passed passed, $failed failed"
exit $status
