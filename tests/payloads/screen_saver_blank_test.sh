#!/usr/bin/env bash
# The full-screen saver blanks the whole screen, with its back buffer and without one: over a
# screen of one colour (magenta, which the picture never has), once it draws, none of it is
# left. Runs inside the Wine harness (scripts/wine with --display), for each file given.
#
#   screen_saver_blank_test.sh <screen saver file>...
set -euo pipefail
# shellcheck source=tests/payloads/full_screen.sh
source "$(dirname "$0")/full_screen.sh"

# The share of the picture's pixels that are the old screen's colour, from 0 to 1.
old_share() {
  convert "$1" -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' -format '%[fx:mean]' info:
}

# The old screen contents that must not show through: one colour everywhere.
convert -size 8x8 "xc:#FF00FF" "$shots/old.png"
# display sets the root window's background and then exits with 1; the picture below tells.
display -window root "$shots/old.png" || true
import -window root "$shots/before.png"
[[ $(old_share "$shots/before.png") == 1 ]] || fail "the screen did not take the old colour before the test"

for saver in "$@"; do
  echo "--- $(basename "$saver")"
  xdotool mousemove 400 300
  "$ZM_WINE" "$saver" /s &
  pid=$!
  wait_for_picture "$pid" "$shots/now.png"
  sleep "$(stretched_seconds 1)"
  import -window root "$shots/now.png"
  share=$(old_share "$shots/now.png")
  awk -v s="$share" 'BEGIN { exit !(s < 0.001) }' ||
    fail "$(basename "$saver"): the old screen shows through ($share of it still in the old colour)"
  xdotool key space
  wait_for_exit "$pid" key
done
echo "PASS"
