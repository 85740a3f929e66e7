#!/usr/bin/env bash
# The screen saver in full-screen mode on a virtual display, with real pointer and keyboard
# input: it draws a moving picture, shrugs off a jitter of the pointer, and ends on a pointer
# movement, a click or a key. Runs inside the Wine harness (scripts/wine with --display).
#
#   screen_saver_fullscreen_test.sh <screen saver file>
set -euo pipefail
saver=$1
here=$(cd "$(dirname "$0")" && pwd)
: "${ZM_WINE:?runs inside scripts/wine with}"
# shellcheck source=tests/support/time-factor.sh
source "$here/../support/time-factor.sh"
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

colours() { convert "$1" -format '%k' info:; }

running() { kill -0 "$1" 2>/dev/null; }

# Waits up to 30 s (times the time factor) for the saver to cover the screen with a picture of
# several colours.
wait_for_picture() {
  local pid=$1 i
  for ((i = 0; i < 60 * zm_time_factor; i++)); do
    running "$pid" || fail "the screen saver ended before it drew anything"
    import -window root "$shots/first.png"
    if (($(colours "$shots/first.png") >= 4)); then return 0; fi
    sleep 0.5
  done
  fail "no picture on the screen after $((30 * zm_time_factor)) s"
}

wait_for_exit() {
  local pid=$1 i status=0
  for ((i = 0; i < 50 * zm_time_factor; i++)); do
    if ! running "$pid"; then
      wait "$pid" || status=$?
      ((status == 0)) || fail "the screen saver ended with exit code $status"
      return 0
    fi
    sleep 0.2
  done
  kill "$pid" 2>/dev/null || true
  fail "the screen saver still runs $((10 * zm_time_factor)) s after the input ($2)"
}

for input in move click key; do
  echo "--- ended by: $input"
  xdotool mousemove 400 300
  "$ZM_WINE" "$saver" /s &
  pid=$!
  wait_for_picture "$pid"

  sleep "$(stretched_seconds 0.5)"
  import -window root "$shots/second.png"
  changed=$(compare -metric AE "$shots/first.png" "$shots/second.png" null: 2>&1 || true)
  ((${changed%% *} > 100)) || fail "the picture does not move ($changed pixels changed)"

  # A few pixels are jitter, not a user.
  xdotool mousemove_relative 2 2
  sleep "$(stretched_seconds 1)"
  running "$pid" || fail "a pointer jitter of 2 pixels ended the screen saver"

  case $input in
    move) xdotool mousemove_relative 40 30 ;;
    click) xdotool click 1 ;;
    key) xdotool key space ;;
  esac
  wait_for_exit "$pid" "$input"
done
echo "PASS"
