#!/usr/bin/env bash
# Takes screenshots of the batch address dialog, the batch list dialog and the File Finder
# after a search of a small page on the loopback nginx, in English and Arabic:
# build/screenshots/links-{en,ar}-{pattern,batchlist,finder}.png, for a person to look at.
# This script only checks that each dialog came up in its language's direction
# (link_tools_shot.exe says so) and that no picture is blank.
#   link_tools_screenshot.sh TOOL_EXE OUT_DIR
set -euo pipefail
tool=$1
out=$2
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

shoot_dialog_steps "$tool" "$out" links pattern batchlist finder
