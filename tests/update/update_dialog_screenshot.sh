#!/usr/bin/env bash
# Takes screenshots of the real update dialog (the offer, a download running, after Cancel),
# in English and Arabic, into OUT_DIR (build/screenshots/update-{en,ar}-{offer,downloading,
# cancelled}.png) for a person to look at. Each picture is the dialog's own rectangle cut
# from the screen. This script only checks that the dialog came up in its language's
# direction and that no picture is blank.
#   update_dialog_screenshot.sh TOOL_EXE OUT_DIR
set -euo pipefail
tool=$1
out=$2
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

shoot() {  # language
  local lang=$1 pid name
  rm -f "$out"/update-"$lang"-*.{ready,done,png}
  wine "$tool" "$lang" "$(windows_path "$out")" &
  pid=$!
  for name in "update-$lang-offer" "update-$lang-downloading" "update-$lang-cancelled"; do
    shoot_when_ready $pid "$out/$name.ready" "$out/$name.done" "$out/$name.png" || return 1
  done
  local status=0
  wait $pid || status=$?
  rm -f "$out"/update-"$lang"-*.ready "$out"/update-"$lang"-*.done
  [[ $status -eq 0 ]] || { echo "$lang: the dialog came up wrong (exit $status)" >&2; return 1; }
}

shoot en
shoot ar
