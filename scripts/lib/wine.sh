# Shared by scripts/test and scripts/bench: a private X display and a private Wine prefix.
# Source it, then call wine_start; wine_stop stops what wine_start started, by process id.

WINE_BIN=$(command -v wine || command -v wine64)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export LC_ALL=${KEPSIL_LOCALE:-en_US.UTF-8}

XVFB_PID=
WINESERVER_STARTED=

# Picks a display number nobody uses.
free_display() {
  local n
  for n in $(seq 90 140); do
    if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then echo "$n"; return 0; fi
  done
  return 1
}

wine_start() {
  local prefix=$1
  local n
  n=$(free_display) || { echo "no free X display" >&2; return 1; }
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done

  export WINEPREFIX=$prefix
  if [ ! -f "$WINEPREFIX/.kepsil-ready" ]; then
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX"
    "$WINE_BIN" wineboot -i >/dev/null 2>&1 || true
    # Draw with the metrics of the faces the program asks for.
    "$WINE_BIN" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ /d 'Liberation Sans' /f >/dev/null 2>&1
    "$WINE_BIN" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Times New Roman' /t REG_SZ /d 'Liberation Serif' /f >/dev/null 2>&1
    "$WINE_BIN" reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'Courier New' /t REG_SZ /d 'Liberation Mono' /f >/dev/null 2>&1
    wineserver -w
    touch "$WINEPREFIX/.kepsil-ready"
  fi
  # Keep one wineserver for the whole run so it can be stopped by its process id.
  wineserver -p >/dev/null 2>&1
  WINESERVER_STARTED=1
}

wine_stop() {
  if [ -n "$WINESERVER_STARTED" ]; then
    local pid
    pid=$(pgrep -f "wineserver" -u "$(id -u)" | while read -r p; do
            if tr '\0' '\n' < "/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX"; then echo "$p"; fi
          done | head -n 1)
    wineserver -k >/dev/null 2>&1 || true
    [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
    WINESERVER_STARTED=
  fi
  if [ -n "$XVFB_PID" ]; then
    kill "$XVFB_PID" 2>/dev/null || true
    wait "$XVFB_PID" 2>/dev/null || true
    XVFB_PID=
  fi
}
