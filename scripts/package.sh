#!/usr/bin/env bash
# Builds the Debian package build-package/deckeditor_<version>_<arch>.deb with
# Debian's hardening flags. Install it with
#   sudo apt install ./build-package/deckeditor_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh --package
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
  -DDECKEDITOR_TESTS=OFF -DDECKEDITOR_BENCH=OFF \
  "-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  "-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)" >/dev/null
cmake --build build-package -j"$(nproc 2>/dev/null || echo 2)"
rm -f build-package/*.deb
(cd build-package && cpack -G DEB >/dev/null)
ls build-package/*.deb
