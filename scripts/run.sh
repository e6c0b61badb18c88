#!/usr/bin/env bash
# make run: install what is missing, build, and start Vonu.exe under Wine on this display.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=${VONU_BUILD:-$top/build}
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
if [[ -z "${DISPLAY:-}" ]]; then
  echo "No display is available (DISPLAY is not set): Vonu is a Windows desktop program and needs one." >&2
  echo "Start it from a graphical session, or run it on a virtual display: xvfb-run make run" >&2
  exit 1
fi
# Your own Wine prefix (~/.wine unless WINEPREFIX says otherwise), as for any Windows program.
export WINEDEBUG=${WINEDEBUG:--all}
exec wine "$build/bin/Vonu.exe" "$@"
