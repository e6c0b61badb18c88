#!/usr/bin/env bash
# The FTP leg of `make bench`: Vonu (vonu-get.exe under Wine) against aria2c and curl, all
# downloading one 1 GiB file from one pyftpdlib server on 127.0.0.1, in one run:
# vonu-get -c 1 and -c 4, curl, aria2c -x4 -s4 (wall time, MB/s, CPU seconds, peak memory).
# pyftpdlib is one Python process, so the server bounds every figure; the ratios say how
# close each client gets to what it can serve. No goal: figures only.
# Usage: bench_ftp.sh BUILD_DIR, with the build's Wine prefix prepared (bench.sh does).
# Every result is compared with its source byte for byte. Exits 1 when a file differs or a
# client fails.
set -euo pipefail
build=$(cd "$1" && pwd)
work="$build/bench-ftp"
root="$work/root"
out="$work/out"
mkdir -p "$root" "$out"

winpath() { printf 'Z:%s' "${1//\//\\}"; }
size=$((1024 * 1024 * 1024))
f="$root/1g.bin"
if [[ "$(stat -c %s "$f" 2>/dev/null || echo 0)" != "$size" ]]; then
  echo "making 1g.bin"
  head -c "$size" /dev/urandom >"$f.tmp" && mv "$f.tmp" "$f"
fi

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
timeout -k 5 1200 /usr/bin/python3 -m pyftpdlib -i 127.0.0.1 -p "$port" -d "$root" >"$work/server.log" 2>&1 &
server_pid=$!
stop_server() { kill "$server_pid" 2>/dev/null || true; wait "$server_pid" 2>/dev/null || true; }
trap stop_server EXIT
for _ in $(seq 50); do
  python3 -c "import socket; socket.create_connection(('127.0.0.1', $port), 1)" 2>/dev/null && break
  sleep 0.1
done
url="ftp://127.0.0.1:$port/1g.bin"
cat "$f" >/dev/null  # every client reads from the page cache

status=0
declare -A WALL
run() {  # NAME RESULT-FILE COMMAND...
  local name=$1 result=$2
  shift 2
  rm -rf "$out/$name"
  mkdir -p "$out/$name"
  local tf="$work/time-$name"
  if ! /usr/bin/time -f '%e %U %S %M' -o "$tf" "$@" >"$work/stdout-$name" 2>"$work/stderr-$name"; then
    echo "  $name: FAILED ($(tail -c 300 "$work/stdout-$name" "$work/stderr-$name" | tr '\r\n' '  '))"
    status=1
    return
  fi
  cmp -s "$f" "$result" || { echo "  $name: the downloaded file differs from the source"; status=1; }
  read -r wall user sys maxkb <"$tf"
  WALL[$name]=$wall
  printf '  %-14s %7.2f s %8.1f MB/s  cpu %6.2f s  peak %5d MB\n' "$name" "$wall" \
    "$(echo "$size / 1000000 / $wall" | bc -l)" "$(echo "$user + $sys" | bc -l)" $((maxkb / 1024))
  rm -rf "$out/$name"
  wine_cache_clear
}
# Wine's WinINet keeps a copy of every FTP download in the prefix's cache even when told not
# to (Windows does not); drop it so a run does not leave gigabytes behind.
wine_cache_clear() { rm -rf "${WINEPREFIX:?}"/drive_c/users/*/AppData/Local/Microsoft/Windows/INetCache; }

echo "== FTP: 1 GiB from pyftpdlib"
for c in 1 4; do
  echo "  vonu: wine vonu-get.exe -c $c -o DIR $url"
  run "vonu-c$c" "$out/vonu-c$c/1g.bin" wine "$build/bin/vonu-get.exe" -c "$c" -o "$(winpath "$out/vonu-c$c")" "$url"
done
echo "  curl -s -o FILE $url"
run curl "$out/curl/1g.bin" curl -s -o "$out/curl/1g.bin" "$url"
echo "  aria2c -x4 -s4 -d DIR $url"
run aria2c "$out/aria2c/1g.bin" aria2c -q -x4 -s4 -d "$out/aria2c" "$url"
for pair in "vonu-c1 curl" "vonu-c4 aria2c"; do
  read -r a b <<<"$pair"
  [[ -n "${WALL[$a]:-}" && -n "${WALL[$b]:-}" ]] &&
    printf '  ratio %s/%s throughput: %.2f\n' "$a" "$b" "$(echo "${WALL[$b]} / ${WALL[$a]}" | bc -l)"
done
exit $status
