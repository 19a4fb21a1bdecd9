# How scripts/run knows that the bar is on screen, and ends it. Sourced; defines functions
# only. The two probes read the current display; the tests put fakes in their place.

# Whether a visible top-level window is titled "Vantelo II".
bar_window_visible() {
  xdotool search --onlyvisible --name '^Vantelo II$' >/dev/null 2>&1
}

# A digest of the screen's pixels now; two captures of the same picture give the same digest.
screen_digest() {
  import -window root -depth 8 rgb:- 2>/dev/null | md5sum | cut -d ' ' -f 1
}

# The screen's digest once two captures in a row agree, or the last one after BOUND seconds:
# the empty desktop is taken when nothing draws on it any more.
settled_screen_digest() {
  local bound=$1 previous current deadline
  deadline=$((SECONDS + bound))
  previous=$(screen_digest)
  while :; do
    current=$(screen_digest)
    if [ "$current" = "$previous" ] || [ "$SECONDS" -ge "$deadline" ]; then
      echo "$current"
      return 0
    fi
    previous=$current
    sleep 0.2
  done
}

# Waits, at most BOUND seconds, for the bar's first paint to be on the screen: its window
# visible and the screen no longer the empty desktop (digest DESKTOP) and the same in two
# captures in a row, so that a paint still under way is not taken. Fails with a message when
# the bar process PID ends first or the bound passes.
wait_for_first_paint() {
  local pid=$1 desktop=$2 bound=$3 previous= current deadline
  deadline=$((SECONDS + bound))
  while :; do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "the bar ended before it showed" >&2
      return 1
    fi
    if bar_window_visible; then
      current=$(screen_digest)
      [ "$current" != "$desktop" ] && [ "$current" = "$previous" ] && return 0
      previous=$current
    else
      previous=
    fi
    if [ "$SECONDS" -gt "$deadline" ]; then
      echo "the bar did not show within $bound s" >&2
      return 1
    fi
    sleep 0.2
  done
}

# Ends the bar process PID of this shell when it still runs, and reaps it.
end_bar_process() {
  kill "$1" 2>/dev/null || true
  wait "$1" 2>/dev/null || true
}
