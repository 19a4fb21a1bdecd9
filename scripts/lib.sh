# Shared by scripts/test and scripts/run: configure and build, and a display for Wine.
# Sourced, not run.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# VANTELO_BUILD names another build tree, so that several can be worked on side by side.
build="${VANTELO_BUILD:-$root/build}"

configure_and_build() {
  cmake -S "$root" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" >/dev/null
  cmake --build "$build" -j "$(nproc)"
}

# Starts Xvfb on a free display when there is no DISPLAY; stop_display ends it again.
xvfb_pid=
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  # Xvfb picks a free display itself and reports its number once it accepts clients.
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${VANTELO_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  local i
  for i in $(seq 1 100); do
    if [ -s "$number_file" ]; then
      export DISPLAY=":$(tr -d '[:space:]' <"$number_file")"
      rm -f "$number_file"
      return 0
    fi
    sleep 0.1
  done
  rm -f "$number_file"
  echo "Xvfb did not start" >&2
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
