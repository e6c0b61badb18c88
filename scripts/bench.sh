#!/usr/bin/env bash
# make bench: build, prepare the Wine prefix and run the benchmarks, printing their figures:
# the list and limiter benchmarks, the window benchmarks, the native messaging host's round
# trip (bench/native_host_bench.cpp), the HLS download against ffmpeg (bench/hls_bench.cpp),
# the link tools on big input and a 400-page crawl (bench/links_bench.cpp),
# then the downloads against aria2c, axel and curl (scripts/bench_transfer.sh), and over
# FTP (scripts/bench_ftp.sh). Exits non-zero when one misses its goal.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VONU_BUILD:-$top/build}

"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"

. "$top/scripts/wine-prefix.sh"
servers="$build/bench-servers"
cleanup() {
  python3 "$top/tests/servers/test_servers.py" stop "$servers" >/dev/null 2>&1 || true
  wine_prefix_stop
  xvfb_stop
}
trap cleanup EXIT
# The main window benchmark needs a display: a virtual one, as the tests use.
xvfb_start
wine_prefix_setup "$build"

status=0
for bench in list_bench limiter_bench main_window_bench progress_window_bench native_host_bench; do
  echo "== $bench"
  wine "$build/bin/$bench.exe" || status=1
done

# HLS against ffmpeg: the stream is made once per build folder (about half a minute), then
# served by the test servers' nginx on 127.0.0.1, throttled and not.
echo "== hls_bench"
mkdir -p "$servers/www/files"
"$top/bench/make_hls_stream.sh" "$servers/www/files/hls-bench"
python3 "$top/tests/servers/test_servers.py" start "$servers" --time-limit 900 >/dev/null
port=$(sed -n 's/^HTTP_PORT=//p' "$servers/ports.txt")
work="$build/bench-work"
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
rm -rf "$work" && mkdir -p "$work"
wine "$build/bin/hls_bench.exe" "http://127.0.0.1:$port/files-1m/hls-bench/index.m3u8" \
  "http://127.0.0.1:$port/files/hls-bench/index.m3u8" "$(winpath "$build/ffmpeg")" "$(winpath "$work")" || status=1

# The link tools, with the crawl of a site written into the same nginx's files folder.
echo "== links_bench"
wine "$build/bin/links_bench.exe" "$port" "$(winpath "$servers/www/files")" || status=1

echo
"$top/scripts/bench_transfer.sh" "$build" || status=1
echo
"$top/scripts/bench_ftp.sh" "$build" || status=1
exit $status
