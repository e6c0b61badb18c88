# Sourced by the screenshot scripts. A test tool under Wine brings a window up, creates a
# READY file (holding the window's place, "WxH+X+Y", when only that rectangle is wanted), and
# waits for a DONE file; the script takes the picture in between.

windows_path() { printf 'Z:%s' "$1" | tr / '\\'; }

# shoot_when_ready PID READY DONE PICTURE [MIN_COLOURS] [SETTLE_SECONDS]
# Waits up to 90 s for READY while the tool (PID) lives, lets Wine finish painting for
# SETTLE_SECONDS, takes the screen (cut to READY's place when it names one), creates DONE,
# and checks that the picture is not blank (at least MIN_COLOURS colours, 16 unless given).
# On failure it says why, ends the tool and returns 1.
shoot_when_ready() {
  local pid=$1 ready=$2 done_flag=$3 picture=$4 min=${5:-16} settle=${6:-0} i=0 place colours
  while [[ ! -e "$ready" ]]; do
    i=$((i + 1))
    if [[ $i -gt 900 ]] || ! kill -0 "$pid" 2>/dev/null; then
      echo "$(basename "$picture" .png): the window did not come up" >&2
      kill "$pid" 2>/dev/null || true
      return 1
    fi
    sleep 0.1
  done
  sleep "$settle"
  place=$(tr -d '\r\n' <"$ready")
  rm -f "$picture"
  if [[ -n $place ]]; then
    import -window root -crop "$place" +repage "$picture"
  else
    import -window root "$picture"
  fi
  touch "$done_flag"
  colours=$(identify -format '%k' "$picture")
  if [[ $colours -lt $min ]]; then
    echo "$picture looks blank ($colours colours)" >&2
    kill "$pid" 2>/dev/null || true
    return 1
  fi
  echo "$picture (${place:+$place, }$colours colours)"
}

# shoot_dialog_steps TOOL OUT_DIR PREFIX STEP...
# For English and Arabic: runs TOOL (LANG FOLDER) under Wine and takes OUT_DIR/PREFIX-LANG-STEP.png
# for each step as the tool holds it up; fails when a picture could not be taken or the tool
# says a dialog had the wrong direction.
shoot_dialog_steps() {
  local tool=$1 out=$2 prefix=$3 lang flags pid step status
  shift 3
  for lang in en ar; do
    flags="$out/$prefix-$lang-flags"
    rm -rf "$flags"
    mkdir -p "$flags"
    wine "$tool" "$lang" "$(windows_path "$flags")" &
    pid=$!
    for step in "$@"; do
      shoot_when_ready $pid "$flags/$step.ready" "$flags/$step.done" "$out/$prefix-$lang-$step.png" || return 1
    done
    status=0
    wait $pid || status=$?
    rm -rf "$flags"
    [[ $status -eq 0 ]] || { echo "$lang: a dialog had the wrong direction (exit $status)" >&2; return 1; }
  done
}
