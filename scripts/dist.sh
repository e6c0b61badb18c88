#!/usr/bin/env bash
# make dist: a Release build in a folder of its own (build-dist/, or $VONU_DIST_BUILD; the
# test build is left alone) that produces Vonu-Setup.exe carrying Vonu.exe and the browser
# extension's files, and prints the SHA-256 of both programs. The configuration runs every
# time, so a file browser/extension/files.txt lists but the folder lacks stops it.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VONU_DIST_BUILD:-$top/build-dist}

"$top/scripts/install-deps.sh"
cmake -S "$top" -B "$build" -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$top/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release
# Only the two programs: the tests and benchmarks are not part of what ships.
cmake --build "$build" --target VonuSetup -j"$(nproc)"
echo
echo "Built $build/bin/Vonu-Setup.exe"
(cd "$build/bin" && sha256sum Vonu.exe Vonu-Setup.exe)
