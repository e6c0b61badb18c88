#!/usr/bin/env bash
# make bench: build, prepare the Wine prefix and run the benchmarks, printing their figures:
# the list and limiter benchmarks, then the downloads against aria2c, axel and curl
# (scripts/bench_transfer.sh), and over FTP (scripts/bench_ftp.sh). Exits non-zero when
# one misses its goal.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VONU_BUILD:-$top/build}

"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"

. "$top/scripts/wine-prefix.sh"
trap wine_prefix_stop EXIT
wine_prefix_setup "$build"

status=0
for bench in list_bench limiter_bench; do
  echo "== $bench"
  wine "$build/bin/$bench.exe" || status=1
done

echo
"$top/scripts/bench_transfer.sh" "$build" || status=1
echo
"$top/scripts/bench_ftp.sh" "$build" || status=1
exit $status
