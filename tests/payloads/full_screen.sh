# Sourced by the tests of the full-screen saver on a virtual display (inside scripts/wine with
# --display): a folder for screenshots, and what the tests ask of the screen and the saver.
: "${ZM_WINE:?runs inside scripts/wine with}"
# shellcheck source=tests/support/time-factor.sh
source "$(dirname "${BASH_SOURCE[0]}")/../support/time-factor.sh"
shots=$(mktemp -d)
trap 'rm -rf "$shots"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

colours() { convert "$1" -format '%k' info:; }

running() { kill -0 "$1" 2>/dev/null; }

# Waits up to 30 s (times the time factor) for the saver to cover the screen with a picture of
# several colours, which it leaves in the file named.
wait_for_picture() { # <pid> <picture file>
  local pid=$1 i
  for ((i = 0; i < 60 * zm_time_factor; i++)); do
    running "$pid" || fail "the screen saver ended before it drew anything"
    import -window root "$2"
    if (($(colours "$2") >= 4)); then return 0; fi
    sleep 0.5
  done
  fail "no picture on the screen after $((30 * zm_time_factor)) s"
}

# Waits up to 10 s (times the time factor) for the saver to end after an input, with exit code 0.
wait_for_exit() { # <pid> <what the input was>
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
