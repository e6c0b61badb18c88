#!/usr/bin/env bash
# Takes screenshots of the Browser integration dialog of the real Vonu.exe and of its repair
# message, in English and Arabic: build/screenshots/browser-{en,ar}-{dialog,repair}.png, for
# a person to look at. This script only checks that the dialog came up in its language's
# direction (browser_dialog_shot.exe says so) and that no picture is blank.
#   browser_dialog_screenshot.sh TOOL_EXE OUT_DIR
set -euo pipefail
tool=$1
out=$2
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

for lang in en ar; do
  flags="$out/browser-$lang-flags"
  rm -rf "$flags"
  mkdir -p "$flags"
  wine "$tool" "$lang" "$(windows_path "$flags")" &
  pid=$!
  for step in dialog repair; do
    shoot_when_ready $pid "$flags/$step.ready" "$flags/$step.done" "$out/browser-$lang-$step.png" || exit 1
  done
  status=0
  wait $pid || status=$?
  rm -rf "$flags"
  [[ $status -eq 0 ]] || { echo "$lang: the dialog did not come up right (exit $status)" >&2; exit 1; }
done
