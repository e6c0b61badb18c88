#!/bin/sh
# Takes screenshots of Vonu's Arabic interface under Wine on the test display (Xvfb):
# a localized dialog and an Arabic message box, right to left. The pictures land in
# OUT_DIR (build/screenshots) for a person to look at; this script only checks that each
# window came up Arabic and mirrored and that the picture is not blank.
#   arabic_dialog_screenshot.sh TOOL_EXE WINE_RUN OUT_DIR
set -eu
tool=$1
wine_run=$2
out=$3
[ -n "${DISPLAY:-}" ] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

for mode in dialog messagebox; do
  ready="$out/$mode.ready"
  done_flag="$out/$mode.done"
  picture="$out/arabic-$mode.png"
  rm -f "$ready" "$done_flag" "$picture"
  "$wine_run" "$tool" "$mode" "$(windows_path "$ready")" "$(windows_path "$done_flag")" &
  pid=$!
  i=0
  while [ ! -e "$ready" ]; do
    i=$((i + 1))
    if [ $i -gt 200 ] || ! kill -0 $pid 2>/dev/null; then
      echo "$mode: the window did not come up" >&2
      kill $pid 2>/dev/null || true
      exit 1
    fi
    sleep 0.1
  done
  sleep 1  # let Wine finish painting
  import -window root "$picture"
  touch "$done_flag"
  status=0
  wait $pid || status=$?
  rm -f "$ready" "$done_flag"
  [ $status -eq 0 ] || { echo "$mode: the window was not Arabic and right to left (exit $status)" >&2; exit 1; }
  colours=$(identify -format '%k' "$picture")
  [ "$colours" -ge 8 ] || { echo "$mode: $picture looks blank ($colours colours)" >&2; exit 1; }
  echo "$mode: $picture ($colours colours)"
done
