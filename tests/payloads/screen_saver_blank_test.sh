#!/usr/bin/env bash
# The full-screen saver blanks the whole screen, with its back buffer and without one: over a
# screen of one colour (magenta, which the picture never has), once it draws, none of it is left. Runs inside the Wine harness (scripts/wine with
# --display), for each screen saver file given.
#
#   screen_saver_blank_test.sh <screen saver file>...
set -euo pipefail
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
# The share of the picture's pixels that are the old screen's colour, from 0 to 1.
old_share() { convert "$1" -fill black +opaque '#FF00FF' -fill white -opaque '#FF00FF' -format '%[fx:mean]' info:; }
running() { kill -0 "$1" 2>/dev/null; }

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
  drawn=0
  for ((i = 0; i < 60 * zm_time_factor; i++)); do
    running "$pid" || fail "the screen saver ended before it drew anything"
    import -window root "$shots/now.png"
    if (($(colours "$shots/now.png") >= 4)); then
      drawn=1
      break
    fi
    sleep 0.5
  done
  ((drawn)) || fail "no picture on the screen after $((30 * zm_time_factor)) s"
  sleep "$(stretched_seconds 1)"
  import -window root "$shots/now.png"
  share=$(old_share "$shots/now.png")
  awk -v s="$share" 'BEGIN { exit !(s < 0.001) }' ||
    fail "$(basename "$saver"): the old screen shows through ($share of it still in the old colour)"
  xdotool key space
  for ((i = 0; i < 50 * zm_time_factor; i++)); do
    running "$pid" || break
    sleep 0.2
  done
  if running "$pid"; then
    kill "$pid"
    fail "the screen saver still runs after a key"
  fi
  wait "$pid" || fail "the screen saver ended with exit code $?"
done
echo "PASS"
