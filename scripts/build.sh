#!/usr/bin/env bash
# Configures (once) and builds the cross build in build/ (or $VONU_BUILD).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VONU_BUILD:-$top/build}
if [[ ! -f "$build/build.ninja" ]]; then
  cmake -S "$top" -B "$build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build" -j"$(nproc)"
