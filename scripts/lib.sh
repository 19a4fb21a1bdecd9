# Shared by scripts/test and scripts/run: the two build trees, configure and build, a
# display and a wineserver for Wine. Sourced, not run.

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
. "$root/scripts/host.sh"
# VANTELO_BUILD names another build tree, so that several can be worked on side by side.
build="${VANTELO_BUILD:-$root/build}"

# The shipped 32-bit programs build in $build, the x64 build of the same sources in $build/x64.
tree_of() {
  case $1 in
    i686) echo "$build" ;;
    x86_64) echo "$build/x64" ;;
    *) echo "tree_of: unknown architecture '$1'" >&2; return 2 ;;
  esac
}

configure_and_build() {
  local arch=$1 tree
  tree=$(tree_of "$arch")
  # Warnings are errors under CI, also in a tree that was configured before without.
  local werror=()
  [ "${CI:-}" = true ] && werror=(-DVANTELO_WERROR=ON)
  cmake -S "$root" -B "$tree" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-$arch.cmake" "${werror[@]}" >/dev/null
  cmake --build "$tree" -j "$(nproc)"
}

# Starts Xvfb on a free display and names it in $virtual_display (":N"); stop_displays ends
# every one started so.
xvfb_pids=()
virtual_display=
start_virtual_display() {
  # Xvfb picks a free display itself and reports its number once it accepts clients.
  local number_file i
  number_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 "${VANTELO_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pids+=($!)
  for i in $(seq 1 100); do
    if [ -s "$number_file" ]; then
      virtual_display=":$(tr -d '[:space:]' <"$number_file")"
      rm -f "$number_file"
      return 0
    fi
    sleep 0.1
  done
  rm -f "$number_file"
  echo "Xvfb did not start" >&2
  return 1
}

# A virtual display for DISPLAY when there is none.
ensure_display() {
  [ -n "${DISPLAY:-}" ] && return 0
  start_virtual_display
  export DISPLAY=$virtual_display
}

stop_displays() {
  local pid
  for pid in "${xvfb_pids[@]}"; do
    kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  done
  xvfb_pids=()
  return 0
}

# One wineserver per tree for the whole run keeps each program start quick. The prefix is
# made first, by the tree's own loader: a wineserver started on an empty folder would make
# it a 64-bit prefix, which the 32-bit loader refuses. The last run starts Wine's background
# services with their output going nowhere; started later by a test, they would hold that
# test's output pipe open and the test would never seem to end.
start_wineserver() {
  local tree
  tree=$(tree_of "$1")
  WINEPREFIX="$tree/wineprefix" wineserver -k 2>/dev/null || true
  "$tree/wine-run" cmd /c exit >/dev/null 2>&1 || true
  WINEPREFIX="$tree/wineprefix" wineserver -k 2>/dev/null || true
  WINEPREFIX="$tree/wineprefix" wineserver -p
  "$tree/wine-run" cmd /c exit >/dev/null 2>&1
}

# Ends the wineserver of one tree, with every program still running in its prefix.
stop_wineserver() {
  local tree
  tree=$(tree_of "$1")
  if [ -d "$tree/wineprefix" ]; then
    WINEPREFIX="$tree/wineprefix" wineserver -k 2>/dev/null || true
  fi
}

stop_wineservers() {
  local arch
  for arch in i686 x86_64; do
    stop_wineserver "$arch"
  done
}
