#!/usr/bin/env bash
# Takes screenshots of Vonu's Arabic interface under Wine on the test display (Xvfb):
# a localized dialog and an Arabic message box, right to left. The pictures land in
# OUT_DIR (build/screenshots) for a person to look at; this script only checks that each
# window came up Arabic and mirrored and that the picture is not blank.
#   arabic_dialog_screenshot.sh TOOL_EXE WINE_RUN OUT_DIR
set -euo pipefail
tool=$1
wine_run=$2
out=$3
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"

for mode in dialog messagebox; do
  ready="$out/$mode.ready"
  done_flag="$out/$mode.done"
  rm -f "$ready" "$done_flag"
  "$wine_run" "$tool" "$mode" "$(windows_path "$ready")" "$(windows_path "$done_flag")" &
  pid=$!
  shoot_when_ready $pid "$ready" "$done_flag" "$out/arabic-$mode.png" 8 1 || exit 1
  status=0
  wait $pid || status=$?
  rm -f "$ready" "$done_flag"
  [[ $status -eq 0 ]] || { echo "$mode: the window was not Arabic and right to left (exit $status)" >&2; exit 1; }
done
