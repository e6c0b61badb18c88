#!/usr/bin/env bash
# make bench: build, prepare the Wine prefix and run the benchmarks that exist, printing
# their figures. Exits non-zero when one misses its goal.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VONU_BUILD:-$top/build}

"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"

. "$top/scripts/wine-prefix.sh"
cleanup() { wine_prefix_stop; xvfb_stop; }
trap cleanup EXIT
# The main window benchmark needs a display: a virtual one, as the tests use.
xvfb_start
wine_prefix_setup "$build"

status=0
for bench in list_bench limiter_bench main_window_bench; do
  echo "== $bench"
  wine "$build/bin/$bench.exe" || status=1
done

echo
echo "Still to come with the transfer engine: downloading the same files from nginx on"
echo "127.0.0.1 with Vonu, aria2c, curl and ffmpeg and printing the ratios of one run."
exit $status
