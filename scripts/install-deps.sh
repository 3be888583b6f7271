#!/usr/bin/env bash
# Installs what building, running and testing the editor need, from Debian's
# packages. Safe to run again: it installs only what is missing.
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  g++ make cmake pkg-config
  libboost-dev libgtest-dev libgmock-dev googletest libbenchmark-dev librapidcheck-dev
  qt6-base-dev qt6-webengine-dev libgl-dev libegl-dev qt6-translations-l10n
  fonts-ipafont-gothic
  xvfb xauth
  xdotool dbus-daemon dbus-bin at-spi2-core python3 python3-pyatspi
  clang-14 libclang-rt-14-dev
  dpkg-dev file help2man lintian desktop-file-utils appstream cloc
  util-linux  # setpriv: tests that run the command line as a user who is not root
)
# The start-up benchmark bench/window-ready.sh.
packages+=(xdotool hyperfine time)
if [ "${1:-}" = "--run-only" ]; then
  # Enough to build and start the editor.
  packages=(g++ make cmake pkg-config libboost-dev qt6-base-dev qt6-webengine-dev libgl-dev libegl-dev
            qt6-translations-l10n fonts-ipafont-gothic)
elif [ "${1:-}" = "--package" ]; then
  # Enough to build the Debian package.
  packages=(g++ make cmake pkg-config libboost-dev qt6-base-dev qt6-webengine-dev libgl-dev libegl-dev
            dpkg-dev file help2man)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
