#!/usr/bin/env bash
# The transfer benchmark of `make bench`: Vonu (vonu-get.exe under Wine) against aria2c,
# axel and curl, all downloading from one nginx on 127.0.0.1, in one run:
#   1. 1 GiB unthrottled to disk: Vonu -c 8 vs aria2c -x8 -s8 and curl -o
#      (wall time, MB/s, CPU seconds, peak memory). Goal: Vonu >= 0.8 x aria2c.
#   2. 64 MiB at nginx limit_rate 2m per connection: Vonu -c 8/16/32 vs axel -n 8,
#      aria2c -x8 -s8 -k1M and aria2c -x8 -s8. Goal: Vonu -c 8 within 10% of the better of
#      axel and aria2c -k1M.
#   3. 50 downloads of 4 MiB in one queue with 3 at a time (queue_bench.exe).
# Usage: bench_transfer.sh BUILD_DIR, with the build's Wine prefix prepared (bench.sh does).
# The files are made here in BUILD_DIR/bench-transfer (never committed); every result is
# compared with its source byte for byte. Exits 1 when a goal is missed or a file differs.
set -euo pipefail
build=$(cd "$1" && pwd)
work="$build/bench-transfer"
www="$work/www"
out="$work/out"
mkdir -p "$www" "$out" "$work/tmp"

winpath() { printf 'Z:%s' "${1//\//\\}"; }

make_file() {  # name size: random bytes, made once
  local f="$www/$1"
  if [[ "$(stat -c %s "$f" 2>/dev/null || echo 0)" != "$2" ]]; then
    echo "making $1 ($2 bytes)"
    head -c "$2" /dev/urandom >"$f.tmp" && mv "$f.tmp" "$f"
  fi
}
make_file 1g.bin $((1024 * 1024 * 1024))
make_file 64m.bin $((64 * 1024 * 1024))
make_file 4m.bin $((4 * 1024 * 1024))

port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
cat >"$work/nginx.conf" <<CONF
daemon off;
master_process on;
worker_processes 2;
pid $work/nginx.pid;
error_log $work/nginx-error.log warn;
events { worker_connections 1024; }
http {
    access_log off;
    client_body_temp_path $work/tmp/body;
    proxy_temp_path $work/tmp/proxy;
    fastcgi_temp_path $work/tmp/fastcgi;
    uwsgi_temp_path $work/tmp/uwsgi;
    scgi_temp_path $work/tmp/scgi;
    default_type application/octet-stream;
    sendfile on;
    tcp_nopush on;
    keepalive_timeout 30;
    server {
        listen 127.0.0.1:$port;
        location /files/ { alias $www/; }
        location /limited/ { alias $www/; limit_rate 2m; }
    }
}
CONF
timeout -k 5 3600 nginx -e "$work/nginx-error.log" -p "$work" -c "$work/nginx.conf" &
nginx_pid=$!
stop_nginx() { kill "$nginx_pid" 2>/dev/null || true; wait "$nginx_pid" 2>/dev/null || true; }
trap 'stop_nginx; [[ -n "${WINEPREFIX:-}" ]] && wineserver -k >/dev/null 2>&1 || true' EXIT
for _ in $(seq 50); do
  curl -sf -o /dev/null "http://127.0.0.1:$port/files/4m.bin" && break
  sleep 0.1
done
base="http://127.0.0.1:$port"
cat "$www"/*.bin >/dev/null  # every tool reads from the page cache

status=0
declare -A WALL CPU MEM
# run NAME SOURCE-FILE RESULT-FILE COMMAND...: time it, check the result, remember figures.
run() {
  local name=$1 source=$2 result=$3
  shift 3
  rm -rf "$out/$name"
  mkdir -p "$out/$name"
  local tf="$work/time-$name"
  if ! /usr/bin/time -f '%e %U %S %M' -o "$tf" "$@" >"$work/stdout-$name" 2>"$work/stderr-$name"; then
    echo "$name: FAILED ($(tail -c 300 "$work/stdout-$name" "$work/stderr-$name" | tr '\r\n' '  '))"
    status=1
    return
  fi
  if ! cmp -s "$source" "$result"; then
    echo "$name: the downloaded file differs from the source"
    status=1
  fi
  read -r wall user sys maxkb <"$tf"
  WALL[$name]=$wall
  CPU[$name]=$(echo "$user + $sys" | bc -l)
  MEM[$name]=$((maxkb / 1024))
  local size
  size=$(stat -c %s "$source")
  printf '  %-22s %7.2f s %8.1f MB/s  cpu %6.2f s  peak %5d MB\n' "$name" "$wall" \
    "$(echo "$size / 1000000 / $wall" | bc -l)" "${CPU[$name]}" "${MEM[$name]}"
  rm -rf "$out/$name"
}
rate() { echo "$(stat -c %s "$1") / 1000000 / ${WALL[$2]}" | bc -l; }
ratio() { echo "${WALL[$2]} / ${WALL[$1]}" | bc -l; }  # throughput of $1 relative to $2
vonu_get=("wine" "$build/bin/vonu-get.exe")

echo "== 1. 1 GiB from nginx, unthrottled, to disk"
f1="$www/1g.bin"
echo "  vonu: wine vonu-get.exe -c 8 -o DIR $base/files/1g.bin"
run vonu-c8 "$f1" "$out/vonu-c8/1g.bin" "${vonu_get[@]}" -c 8 -o "$(winpath "$out/vonu-c8")" "$base/files/1g.bin"
grep -a 'Peak working set' "$work/stderr-vonu-c8" | sed 's/^/  vonu-c8 (own count): /' || true
echo "  aria2c -x8 -s8 -d DIR $base/files/1g.bin"
run aria2c "$f1" "$out/aria2c/1g.bin" aria2c -q -x8 -s8 -d "$out/aria2c" "$base/files/1g.bin"
echo "  curl -s -o FILE $base/files/1g.bin"
run curl "$f1" "$out/curl/1g.bin" curl -s -o "$out/curl/1g.bin" "$base/files/1g.bin"
if [[ -n "${WALL[vonu-c8]:-}" && -n "${WALL[aria2c]:-}" ]]; then
  r=$(ratio vonu-c8 aria2c)
  printf '  ratio Vonu/aria2c throughput: %.2f (goal >= 0.80)\n' "$r"
  [[ $(echo "$r >= 0.8" | bc -l) == 1 ]] || status=1
fi
[[ -n "${WALL[curl]:-}" && -n "${WALL[vonu-c8]:-}" ]] &&
  printf '  ratio Vonu/curl throughput: %.2f\n' "$(ratio vonu-c8 curl)"

echo "== 2. 64 MiB with nginx limit_rate 2m per connection"
f2="$www/64m.bin"
for c in 8 16 32; do
  echo "  vonu: wine vonu-get.exe -c $c -o DIR $base/limited/64m.bin"
  run "vonu-limited-c$c" "$f2" "$out/vonu-limited-c$c/64m.bin" "${vonu_get[@]}" -c "$c" -o "$(winpath "$out/vonu-limited-c$c")" "$base/limited/64m.bin"
done
echo "  axel -q -n 8 -o FILE $base/limited/64m.bin"
run axel "$f2" "$out/axel/64m.bin" axel -q -n 8 -o "$out/axel/64m.bin" "$base/limited/64m.bin"
echo "  aria2c -x8 -s8 -k1M -d DIR $base/limited/64m.bin"
run aria2c-k1M "$f2" "$out/aria2c-k1M/64m.bin" aria2c -q -x8 -s8 -k1M -d "$out/aria2c-k1M" "$base/limited/64m.bin"
echo "  aria2c -x8 -s8 -d DIR $base/limited/64m.bin"
run aria2c-k20M "$f2" "$out/aria2c-k20M/64m.bin" aria2c -q -x8 -s8 -d "$out/aria2c-k20M" "$base/limited/64m.bin"
if [[ -n "${WALL[vonu-limited-c8]:-}" && -n "${WALL[axel]:-}" && -n "${WALL[aria2c-k1M]:-}" ]]; then
  best=axel
  [[ $(echo "${WALL[aria2c-k1M]} < ${WALL[axel]}" | bc -l) == 1 ]] && best=aria2c-k1M
  r=$(ratio vonu-limited-c8 "$best")
  printf '  ratio Vonu -c 8 / %s throughput: %.2f (goal >= 0.90)\n' "$best" "$r"
  [[ $(echo "$r >= 0.9" | bc -l) == 1 ]] || status=1
  for c in 16 32; do
    [[ -n "${WALL[vonu-limited-c$c]:-}" ]] &&
      printf '  Vonu -c %d: %.2f s (%.2f x the -c 8 throughput)\n' "$c" "${WALL[vonu-limited-c$c]}" \
        "$(ratio "vonu-limited-c$c" vonu-limited-c8)"
  done
fi

echo "== 3. 50 downloads of 4 MiB in one queue, 3 at a time"
echo "  wine queue_bench.exe $base/files/4m.bin 50 DIR 3"
rm -rf "$out/queue"
mkdir -p "$out/queue"
if /usr/bin/time -f '%e %U %S %M' -o "$work/time-queue" wine "$build/bin/queue_bench.exe" \
     "$base/files/4m.bin" 50 "$(winpath "$out/queue")" 3 >"$work/stdout-queue" 2>"$work/stderr-queue"; then
  read -r wall user sys maxkb <"$work/time-queue"
  printf '  %s\n  process: %.2f s wall, cpu %.2f s, peak %d MB\n' "$(cat "$work/stdout-queue")" "$wall" \
    "$(echo "$user + $sys" | bc -l)" $((maxkb / 1024))
  differ=0
  for f in "$out/queue"/*.bin; do cmp -s "$www/4m.bin" "$f" || differ=$((differ + 1)); done
  echo "  files: $(ls "$out/queue" | grep -c '\.bin$'), differing from the source: $differ"
  [[ $differ == 0 ]] || status=1
else
  echo "  queue_bench FAILED: $(tail -c 500 "$work/stdout-queue" "$work/stderr-queue")"
  status=1
fi
rm -rf "$out/queue"
exit $status
