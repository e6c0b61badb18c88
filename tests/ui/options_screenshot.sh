#!/usr/bin/env bash
# Takes screenshots of the six pages of Options, the Connections per server, Site login and
# Add category dialogs of Vonu, in English and Arabic:
# build/screenshots/options-{en,ar}-{connection,saveto,downloads,proxy,logins,antivirus,limits,login,category}.png,
# for a person to look at. This script only checks that each dialog came up in its
# language's direction (options_shot.exe says so) and that no picture is blank.
#   options_screenshot.sh TOOL_EXE OUT_DIR
set -euo pipefail
tool=$1
out=$2
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

shoot_dialog_steps "$tool" "$out" options connection saveto downloads proxy logins antivirus limits login category
