# What a person does with the installer, and what the driving script reads back. Sourced by
# run-case and by scripts/wizard-tour, which run inside the Wine harness (scripts/wine with: it
# sets WINEPREFIX and ZM_WINE), with probe_exe and case_dir set.
driver_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# shellcheck source=tests/support/time-factor.sh
source "$driver_dir/../support/time-factor.sh"

# Generous, because a loaded machine may take seconds for what usually takes a moment.
readonly patience_ms=$((30000 * zm_time_factor))

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Windows console output ends its lines with CR LF.
probe() { "$ZM_WINE" "$probe_exe" "$@" | tr -d '\r'; }

# Waits until every key=value holds on the screen, then keeps the state for `seen`.
screen=
wait_for() {
  local attempt status
  for attempt in 1 2 3; do
    status=0
    screen=$(probe wait "$patience_ms" "$@") || status=$?
    # 1 is the probe's own "timed out", with the last state it read. Any other failure is the
    # probe's end, not the installer's (a crash is silent with Wine's messages off): say so and
    # look again, since looking changes nothing on the screen.
    [[ $status -eq 0 || $status -eq 1 ]] && break
    echo "the probe ended with status $status and printed [$screen] (attempt $attempt)" >&2
  done
  if [[ $status -ne 0 ]]; then
    echo "$screen" >&2
    fail "the screen never showed: $*"
  fi
}

seen() { sed -n "s/^$1=//p" <<<"$screen" | head -n 1; }

expect() {
  local what=$1 expected=$2 actual=$3
  [[ $actual == "$expected" ]] || fail "$what: expected [$expected], found [$actual]"
}

# A real click: the pointer first leaves every window, so that entering the target registers.
click_at() {
  local at=$1
  [[ $at =~ ^-?[0-9]+,-?[0-9]+$ ]] || fail "nowhere to click: [$at]"
  xdotool mousemove 0 0
  sleep 0.1
  xdotool mousemove "${at%,*}" "${at#*,}"
  sleep 0.2
  xdotool click 1
}

# Clicks a control of the sheet or the page (back, next, finish, cancel, accept, reject) once
# it is there to be clicked.
press() {
  wait_for "$1.visible=1" "$1.enabled=1" box=none
  click_at "$(seen "$1.at")"
}

# Keyboard focus follows the pointer: it rests on the sheet while the key goes in.
key_on_sheet() {
  wait_for sheet=present box=none
  xdotool mousemove 0 0
  sleep 0.1
  local at
  at=$(seen page.at)
  xdotool mousemove "${at%,*}" "${at#*,}"
  sleep 0.2
  xdotool key "$1"
}

# Answers the message box on the screen with one of its buttons (ok, yes, no).
answer_box() {
  wait_for box=present
  click_at "$(seen "box.$1.at")"
}

readonly abort_title='Abort Installation'
readonly abort_text="Are you sure you want to abort the installation of Zembrino's Screen Saver?"
readonly archive_title='Installation Archive Error'
readonly archive_text="This installation archive appears to be corrupt.  Please try downloading\\nZembrino's Screen Saver from http://www.zembrino.example."

readonly irrecoverable_title='Irrecoverable error'
readonly common_controls_text="The Windows common controls library (comctl32.dll) could not be loaded from the system folder.  Zembrino's Screen Saver cannot be installed without it."

# expect_box <title> <text> [owned: 1 (a window of the installer's) or 0]
expect_box() {
  wait_for box=present
  expect "message box title" "$1" "$(seen box.title)"
  expect "message box text" "$2" "$(seen box.text)"
  expect "message box has an owner" "${3:-1}" "$(seen box.owned)"
}

# Starts the installer; every process started in the session logs its command line.
installer_pid=
installer_runs=0
start_installer() {
  local exe=${1:-$installer}
  installer_runs=$((installer_runs + 1))
  WINEDEBUG=+process "$ZM_WINE" "$exe" 2>"$case_dir/process-$installer_runs.log" &
  installer_pid=$!
}

# Waits for the installer to end and checks its exit code.
expect_exit_code() {
  local i status=0
  for ((i = 0; i < patience_ms / 100; i++)); do
    if ! kill -0 "$installer_pid" 2>/dev/null; then
      wait "$installer_pid" || status=$?
      expect "exit code" "$1" "$status"
      return 0
    fi
    sleep 0.1
  done
  fail "the installer still runs $((patience_ms / 1000)) s after it should have ended"
}

launched_display_settings() {
  grep -aq 'rundll32.exe shell32.dll,Control_RunDLL desk.cpl,,1' \
    "$case_dir/process-$installer_runs.log"
}

# Copies the installer and changes one byte in the middle of the given stored resource inside
# the copy, found by its bytes.
damaged_installer() {
  local stored_file=$1 copy=$case_dir/zmsetup-damaged.exe
  cp "$installer" "$copy"
  local start
  start=$(awk 'NR == FNR { p[n++] = $1; next } { b[m++] = $1 }
    END {
      for (i = 0; i + n <= m; i++) {
        for (j = 0; j < n && b[i + j] == p[j]; j++) {}
        if (j == n) { print i; found++ }
      }
      if (found != 1) exit 1
    }' <(od -An -v -tx1 "$stored_file" | tr -s ' \n' '\n' | sed '/^$/d') \
       <(od -An -v -tx1 "$copy" | tr -s ' \n' '\n' | sed '/^$/d')) ||
    fail "the bytes of $stored_file are not in the installer exactly once"
  local at=$((start + $(stat -c %s "$stored_file") / 2)) old
  old=$(od -An -tu1 -j "$at" -N 1 "$copy" | tr -d ' ')
  # shellcheck disable=SC2059
  printf "\\$(printf %03o $((old ^ 0x5A)))" | dd of="$copy" bs=1 seek="$at" conv=notrunc status=none
  echo "$copy"
}
