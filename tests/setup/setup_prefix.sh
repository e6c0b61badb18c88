#!/usr/bin/env bash
# A fresh Wine prefix for the setup tests, made once per ctest run: the setup program writes
# the user's Run value, host keys, uninstall entry, shortcuts and settings, and the tests must
# see exactly what it wrote, in a prefix nothing else has touched.
#   setup_prefix.sh start DIR   makes DIR/wineprefix anew and leaves its wineserver running
#   setup_prefix.sh stop DIR    stops that wineserver
# Everything Wine prints goes to DIR/wineserver.log, so no Wine process keeps ctest's output
# pipe open.
set -euo pipefail
action=$1
dir=$2
top=$(cd "$(dirname "$0")/../.." && pwd)
case $action in
  start)
    if [[ -d "$dir/wineprefix" ]]; then
      WINEPREFIX="$dir/wineprefix" wineserver -k >/dev/null 2>&1 || true
      rm -rf "$dir"
    fi
    mkdir -p "$dir"
    # Bounded: a fresh prefix takes 6-10 s on an idle machine.
    timeout 150 bash -c ". '$top/scripts/wine-prefix.sh'; wine_prefix_setup '$dir'" </dev/null
    ;;
  stop)
    WINEPREFIX="$dir/wineprefix" wineserver -k >/dev/null 2>&1 || true
    ;;
  *)
    echo "setup_prefix.sh start|stop DIR" >&2
    exit 2
    ;;
esac
