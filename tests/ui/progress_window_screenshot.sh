#!/usr/bin/env bash
# Takes screenshots of the real progress window (with and without its details, a download
# running on four connections from the slow nginx location) and of the completion window,
# in English and Arabic, into OUT_DIR (build/screenshots/progress-{en,ar}-{details,compact}.png
# and complete-{en,ar}.png) for a person to look at. Each picture is the window's own
# rectangle cut from the screen. This script only checks that the windows came up in their
# language's direction and that no picture is blank.
#   progress_window_screenshot.sh TOOL_EXE OUT_DIR
set -euo pipefail
tool=$1
out=$2
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

shoot() {  # language
  local lang=$1 pid name
  rm -f "$out"/progress-"$lang"-*.{ready,done,png} "$out"/complete-"$lang".{ready,done,png}
  wine "$tool" "$lang" "$(windows_path "$out")" &
  pid=$!
  for name in "progress-$lang-details" "progress-$lang-compact" "complete-$lang"; do
    shoot_when_ready $pid "$out/$name.ready" "$out/$name.done" "$out/$name.png" || return 1
  done
  local status=0
  wait $pid || status=$?
  rm -f "$out"/*-"$lang"*.ready "$out"/*-"$lang"*.done
  [[ $status -eq 0 ]] || { echo "$lang: a window came up in the wrong direction (exit $status)" >&2; return 1; }
}

shoot en
shoot ar
