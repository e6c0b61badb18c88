#!/usr/bin/env bash
# Takes screenshots of the Scheduler, New queue and the turn-off countdown of Vonu (the build
# with the shutdown request's stand-in), in English and Arabic:
# build/screenshots/queues-{en,ar}-{scheduler,newqueue,countdown}.png, for a person to look
# at. This script only checks that each dialog came up in its language's direction
# (queues_shot.exe says so) and that no picture is blank.
#   queues_screenshot.sh TOOL_EXE OUT_DIR
set -euo pipefail
tool=$1
out=$2
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

shoot_dialog_steps "$tool" "$out" queues scheduler newqueue countdown
