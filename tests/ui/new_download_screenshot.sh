#!/usr/bin/env bash
# Takes screenshots of the add-from-address dialogs of the real Vonu.exe, in English and
# Arabic: build/screenshots/newdl-{en,ar}-{address,new,chooser,duplicate,properties}.png,
# for a person to look at. This script only checks that each dialog came up in its
# language's direction (new_download_shot.exe says so) and that no picture is blank.
#   new_download_screenshot.sh TOOL_EXE OUT_DIR
set -euo pipefail
tool=$1
out=$2
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

shoot_dialog_steps "$tool" "$out" newdl address new chooser duplicate properties
