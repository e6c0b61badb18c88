#!/usr/bin/env bash
# Pictures of every window of the real Vonu-Setup.exe, in English and Arabic, for a person to
# look at: build/screenshots/setup-{en,ar}-{language,welcome,license,folder,options,
# installing,finished,failed,remove,removed}.png. The tool (setup_wizard_shot.cpp) installs
# and uninstalls in the setup tests' own prefix, so the shared prefix never gets an
# installation. This script takes each picture the tool asks for and checks that none is
# blank and that every one came.
#   setup_wizard_screenshot.sh TOOL_EXE OUT_DIR SETUP_PREFIX_DIR
set -euo pipefail
tool=$1
out=$2
prefix_dir=$3
[[ -n "${DISPLAY:-}" ]] || { echo "No DISPLAY: run through scripts/test.sh, which starts Xvfb." >&2; exit 1; }
export WINEPREFIX="$prefix_dir/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
mkdir -p "$out"
. "$(dirname "$0")/../support/screenshots.sh"
names="language welcome license folder options installing finished failed remove removed"
failed=0

for lang in en ar; do
  folder="$prefix_dir/shots/$lang/Vonu"
  rm -rf "$prefix_dir/shots/$lang"
  rm -f "$out/setup-$lang"-*.ready "$out/setup-$lang"-*.done
  wine "$tool" "$lang" "$(windows_path "$folder")" "$(windows_path "$out/setup-$lang")" &
  pid=$!
  # Take each picture the tool asks for while it runs (bounded: 4 minutes).
  for ((i = 0; i < 2400; i++)); do
    for ready in "$out/setup-$lang"-*.ready; do
      [[ -e $ready ]] || continue
      picture=${ready%.ready}.png
      place=$(tr -d '\r\n' <"$ready")
      rm -f "$picture" "$ready"
      import -window root -crop "$place" +repage "$picture"
      touch "${picture%.png}.done"
      colours=$(identify -format '%k' "$picture")
      echo "$picture ($place, $colours colours)"
      [[ $colours -ge 16 ]] || { echo "$picture looks blank" >&2; failed=1; }
    done
    kill -0 $pid 2>/dev/null || break
    sleep 0.1
  done
  kill $pid 2>/dev/null || true
  status=0
  wait $pid || status=$?
  rm -f "$out/setup-$lang"-*.done "$out/setup-$lang"-*.ready
  [[ $status -eq 0 ]] || { echo "$lang: the tool stopped with $status" >&2; failed=1; }
  for name in $names; do
    [[ -e "$out/setup-$lang-$name.png" ]] || { echo "setup-$lang-$name.png was not taken" >&2; failed=1; }
  done
done
exit $failed
