#!/usr/bin/env bash
# Takes screenshots of the real main window with the sample list, in English and Arabic,
# at 96 DPI (the tests' own prefix) and at 144 DPI (a second prefix of its own, so the
# shared one stays at 96 for every other test). The pictures land in OUT_DIR
# (build/screenshots/main-{en,ar}-{96,144}.png) for a person to look at; this script only
# checks that each window came up in its language's direction with every row and that the
# picture is not blank.
#   main_window_screenshot.sh TOOL_EXE OUT_DIR BUILD_DIR WINE_PREFIX_SCRIPT
set -euo pipefail
tool=$1
out=$2
build=$3
prefix_script=$4
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"

shoot() {  # language dpi
  local lang=$1 dpi=$2
  local ready="$out/main-$lang-$dpi.ready" done_flag="$out/main-$lang-$dpi.done"
  rm -f "$ready" "$done_flag"
  wine "$tool" "$lang" "$(windows_path "$ready")" "$(windows_path "$done_flag")" &
  local pid=$!
  shoot_when_ready $pid "$ready" "$done_flag" "$out/main-$lang-$dpi.png" || return 1
  local status=0
  wait $pid || status=$?
  rm -f "$ready" "$done_flag"
  [[ $status -eq 0 ]] || { echo "$lang $dpi: wrong direction or rows missing (exit $status)" >&2; return 1; }
}

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# 96 DPI in the tests' prefix (scripts/test.sh prepared it and runs its wineserver).
shoot en 96
shoot ar 96

# 144 DPI in a prefix of its own, prepared once and kept in the build folder.
. "$prefix_script"
mkdir -p "$build/hidpi"
wine_prefix_setup "$build/hidpi"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT
if [[ ! -e "$build/hidpi/dpi-144" ]]; then
  reg="$build/hidpi/dpi.reg"
  printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' '[HKEY_CURRENT_USER\Control Panel\Desktop]' \
    '"LogPixels"=dword:00000090' '' >"$reg"
  wine regedit /S "$reg" >>"$build/hidpi/wineserver.log" 2>&1
  # The desktop reads the DPI when it starts: start it again.
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p >>"$build/hidpi/wineserver.log" 2>&1
  wineboot >>"$build/hidpi/wineserver.log" 2>&1 || true
  touch "$build/hidpi/dpi-144"
fi
shoot en 144
shoot ar 144
