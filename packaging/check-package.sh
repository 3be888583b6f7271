#!/usr/bin/env bash
# Builds the Debian package from a finished build and checks it with lintian:
# any error fails; the warnings and notes are shown.
#   check-package.sh BUILD-DIR
set -euo pipefail
build=$1
out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT

if ! (cd "$build" && cpack -G DEB -B "$out") >"$out/cpack.log" 2>&1; then
  cat "$out/cpack.log"; exit 1
fi
deb=$(ls "$out"/*.deb)
dpkg-deb --field "$deb" Package Version Depends
lintian --display-info --pedantic "$deb" >"$out/lintian.txt" 2>&1 || true
cat "$out/lintian.txt"
! grep -q '^E: ' "$out/lintian.txt"
