#!/usr/bin/env bash
# The wait of scripts/run --screenshot for the bar's first paint, against a fake screen and
# a fake bar window: it succeeds only once the window is visible and its pixels are on the
# screen and settled, and fails with a message when the bar ends first or never shows.
set -uo pipefail
. "$(dirname "$0")/../../scripts/screen.sh"

fake=$(mktemp -d)
# Only this shell removes the fakes: a child killed between its fork and its program runs a
# copy of this trap.
trap '[ "$BASHPID" != "$$" ] || rm -rf "$fake"' EXIT

# The fake window is visible from its VISIBLE_FROM-th probe on (0: never); the fake screen
# gives the listed digests one capture after the other, then the last one again ("moving":
# a new picture at every capture).
bar_window_visible() {
  local probes
  probes=$(($(cat "$fake/probes") + 1))
  echo "$probes" >"$fake/probes"
  [ "$(cat "$fake/visible_from")" -ne 0 ] && [ "$probes" -ge "$(cat "$fake/visible_from")" ]
}
screen_digest() {
  local captures
  captures=$(($(cat "$fake/captures") + 1))
  echo "$captures" >"$fake/captures"
  if [ "$(cat "$fake/screens")" = moving ]; then
    echo "frame$captures"
  else
    sed -n "$captures{p;q}; \$p" "$fake/screens" | tail -n 1
  fi
}
set_fakes() {
  echo 0 >"$fake/probes"
  echo 0 >"$fake/captures"
  echo "$1" >"$fake/visible_from"
  printf '%s\n' "${@:2}" >"$fake/screens"
}

bar=
# A stand-in bar process, started once it runs its program: a child killed before that runs
# this shell's traps.
start_bar() {
  local i
  sleep 60 &
  bar=$!
  for i in $(seq 1 100); do
    [ "$(cat "/proc/$bar/comm" 2>/dev/null)" = sleep ] && return 0
    sleep 0.05
  done
  echo "the stand-in bar did not start" >&2
  return 1
}
stop_bar() { end_bar_process "$bar"; }

failures=0
# expect LABEL BOUND EXPECTED-STATUS EXPECTED-MESSAGE-PART: runs wait_for_first_paint on $bar
# with the desktop "desk" and the bound given in seconds.
expect() {
  local label=$1 bound=$2 want_status=$3 want_message=$4 message status
  message=$(wait_for_first_paint "$bar" desk "$bound" 2>&1 >/dev/null)
  status=$?
  if [ "$status" -eq "$want_status" ] && [[ "$message" == *"$want_message"* ]]; then
    echo "ok    $label"
  else
    echo "FAIL  $label: status $status, message '$message'; want status $want_status, '$want_message'"
    failures=$((failures + 1))
  fi
}

start_bar
set_fakes 1 desk bar bar
expect "visible bar whose paint settled" 10 0 ""
set_fakes 3 desk desk desk bar bar
expect "window shown late, then its paint" 10 0 ""
set_fakes 1 desk desk desk bar bar bar
expect "paint presented after the window shows" 10 0 ""
set_fakes 0 bar bar
expect "window never visible" 1 1 "did not show within 1 s"
set_fakes 1 desk
expect "visible window with no pixels on screen" 1 1 "did not show within 1 s"
set_fakes 1 moving
expect "screen that never settles" 1 1 "did not show within 1 s"
stop_bar

sleep 0 &
bar=$!
wait "$bar"
set_fakes 1 bar bar
expect "bar that ended before it showed" 10 1 "the bar ended before it showed"

# A watchdog ends the stand-in within 20 s and leaves a mark, should end_bar_process not.
start_bar
(sleep 20 && touch "$fake/watchdog" && kill -9 "$bar") &
watchdog=$!
stop_bar
kill "$watchdog" 2>/dev/null
if kill -0 "$bar" 2>/dev/null || [ -e "$fake/watchdog" ]; then
  echo "FAIL  the bar process is left running"
  failures=$((failures + 1))
else
  echo "ok    the bar process is ended"
fi

set_fakes 1 drawing desk desk
desktop=$(settled_screen_digest 5)
if [ "$desktop" = desk ]; then
  echo "ok    the desktop is taken once it is settled"
else
  echo "FAIL  desktop digest '$desktop', want 'desk'"
  failures=$((failures + 1))
fi

[ "$failures" -eq 0 ]
