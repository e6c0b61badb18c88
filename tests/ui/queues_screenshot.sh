#!/usr/bin/env bash
# Takes screenshots of the Scheduler, New queue and the turn-off countdown of Vonu (the build
# with the shutdown request's stand-in), in English and Arabic:
# build/screenshots/queues-{en,ar}-{scheduler,newqueue,countdown}.png, for a person to look at. This script only checks that each dialog came up in its
# language's direction (queues_shot.exe says so) and that no picture is blank.
#   queues_screenshot.sh TOOL_EXE OUT_DIR
set -euo pipefail
tool=$1
out=$2
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

for lang in en ar; do
  flags="$out/queues-$lang-flags"
  rm -rf "$flags"
  mkdir -p "$flags"
  wine "$tool" "$lang" "$(windows_path "$flags")" &
  pid=$!
  for step in scheduler newqueue countdown; do
    shoot_when_ready $pid "$flags/$step.ready" "$flags/$step.done" "$out/queues-$lang-$step.png" || exit 1
  done
  status=0
  wait $pid || status=$?
  rm -rf "$flags"
  [[ $status -eq 0 ]] || { echo "$lang: a dialog had the wrong direction (exit $status)" >&2; exit 1; }
done
