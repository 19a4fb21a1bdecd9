# Shared by scripts/test and scripts/run: configure and build, and a display for Wine.
# Sourced, not run.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build="$root/build"

configure_and_build() {
  cmake -S "$root" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$build" -j "$(nproc)"
}

# Starts Xvfb on a free display when there is no DISPLAY; stop_display ends it again.
xvfb_pid=
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${VANTELO_SCREEN:-1280x1024x24}" -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  export DISPLAY=":$n"
  local i
  for i in $(seq 1 100); do
    [ -e "/tmp/.X11-unix/X$n" ] && return 0
    sleep 0.1
  done
  echo "Xvfb did not start on :$n" >&2
  return 1
}

stop_display() {
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  xvfb_pid=
  return 0
}

# One wineserver for the whole run keeps each program start quick.
start_wineserver() {
  mkdir -p "$build/wineprefix"
  WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null || true
  WINEPREFIX="$build/wineprefix" wineserver -p
  "$build/wine-run" cmd /c exit >/dev/null 2>&1  # creates the prefix on its first run
}

stop_wineserver() {
  [ -d "$build/wineprefix" ] && WINEPREFIX="$build/wineprefix" wineserver -k 2>/dev/null
  return 0
}
