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
