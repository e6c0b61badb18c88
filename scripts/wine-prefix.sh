#!/usr/bin/env bash
# Prepares the private Wine prefix of a build folder and leaves its wineserver running.
# Source it (". scripts/wine-prefix.sh BUILD_DIR"); call wine_prefix_stop (or let the
# caller's EXIT trap do it) when done. The prefix is never ~/.wine: other programs on the
# machine may use Wine, and the tests must not see or touch a real user's data.
#
# The wineserver is started persistent and with its output sent to a log *before* any test
# runs: a wineserver started by a test would inherit ctest's output pipe and keep ctest
# waiting for it.

wine_prefix_setup() {
  local build
  build=$(cd "$1" && pwd)
  export WINEPREFIX="$build/wineprefix"
  export WINEARCH=win64
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  # The prefix links Desktop, Downloads etc. to folders under HOME: keep them in the build.
  export HOME="$build/winehome"
  mkdir -p "$HOME"

  mkdir -p "$WINEPREFIX"
  local fresh=0
  [[ -f "$WINEPREFIX/system.reg" ]] || fresh=1
  wineserver -p >"$build/wineserver.log" 2>&1
  wineboot -i >>"$build/wineserver.log" 2>&1 || true
  if [[ $fresh -eq 1 ]]; then
    # Debian's Wine does not load its own TrueType fonts; without them Arabic draws as boxes.
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    # One shared virtual desktop (so a test driver sees the program's windows) and no crash
    # dialog (a crash must end the process, not wait for a click that never comes).
    local reg="$build/wine-test.reg"
    printf '%s\r\n' 'Windows Registry Editor Version 5.00' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="shell"' '' \
      '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"shell"="1280x800"' '' \
      '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' >"$reg"
    wine regedit /S "$reg" >>"$build/wineserver.log" 2>&1 || true
    # Start again so the desktop process is the shared virtual desktop, started here with
    # its output in the log: one started later by a test would hold ctest's pipe open.
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p >>"$build/wineserver.log" 2>&1
    wineboot >>"$build/wineserver.log" 2>&1 || true
  fi
}

wine_prefix_stop() {
  [[ -n "${WINEPREFIX:-}" ]] && wineserver -k >/dev/null 2>&1 || true
}

# Starts Xvfb on a free display number; sets DISPLAY and XVFB_PID.
xvfb_start() {
  local n
  for n in $(seq 90 140); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    local i
    for i in $(seq 1 50); do
      [[ -e /tmp/.X11-unix/X$n ]] && { export DISPLAY=":$n"; return 0; }
      kill -0 "$XVFB_PID" 2>/dev/null || break
      sleep 0.1
    done
    kill "$XVFB_PID" 2>/dev/null || true
  done
  echo "Could not start Xvfb on any display from :90 to :140" >&2
  return 1
}

xvfb_stop() {
  [[ -n "${XVFB_PID:-}" ]] && kill "$XVFB_PID" 2>/dev/null || true
}
