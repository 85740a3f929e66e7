#!/usr/bin/env bash
# The screen saver in full-screen mode on a virtual display, with real pointer and keyboard
# input: it draws a moving picture, shrugs off a jitter of the pointer, and ends on a pointer
# movement, a click or a key. Runs inside the Wine harness (scripts/wine with --display).
#
#   screen_saver_fullscreen_test.sh <screen saver file>
set -euo pipefail
saver=$1
# shellcheck source=tests/payloads/full_screen.sh
source "$(dirname "$0")/full_screen.sh"

for input in move click key; do
  echo "--- ended by: $input"
  xdotool mousemove 400 300
  "$ZM_WINE" "$saver" /s &
  pid=$!
  wait_for_picture "$pid" "$shots/first.png"

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
