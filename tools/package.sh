#!/usr/bin/env bash
# Builds the Debian package quenvol_<version>_<arch>.deb with CPack from a
# release build, and prints its path on the last line.
# Usage: tools/package.sh [BUILD_FOLDER]   (default: build)
# A folder that is not configured yet is configured as a release build
# without tests; an existing one (CI's test build) is reused as it is.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/dependencies.sh packaging
dir=${1:-build}
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQUENVOL_TESTS=OFF -DQUENVOL_BENCH=OFF
fi
cmake --build "$dir" -j "$(nproc)"
rm -rf "$dir/package"
cpack --config "$dir/CPackConfig.cmake" -B "$dir/package" > "$dir/package.log" ||
  { cat "$dir/package.log" >&2; exit 1; }
ls "$PWD/$dir"/package/quenvol_*.deb
