# The installer and the uninstaller in the orders users run them, with restarts in between. Each
# sequence is a row of the table below; after it, the whole end state is compared with what the
# user should have. Sourced by run-lifecycle after driver.sh and cases.sh.

# The user's own screen saver before the installation, and one chosen after it.
readonly users_pick='C:\WINDOWS\SYSTEM32\PICKED.SCR'
readonly older_saver_file="Zembrino's Screensaver.scr"

# name | the setting before | the steps | the end: installed or removed | the setting at the end
#   setting before: own (another screen saver), older (the file of an earlier version)
#   steps: install   the wizard's road; it leaves the Display settings open, the preview running
#          close     the user closes the Display settings
#          preview   the user opens them again
#          uninstall the installed uninstaller; uninstall2 two of them started at once
#          long      the setting names our screen saver by its long path
#          pick      the user chooses another screen saver
#          restart   every program ends, and the system starts again
#   setting at the end: ours, own, picked or none; installed ends with the backup of own
readonly lifecycle_table='
reinstall_before_restart      | own   | install uninstall close install restart      | installed | ours
reinstall_while_in_use        | own   | install close preview uninstall close install restart | installed | ours
long_form_then_uninstall      | own   | install close long install close uninstall   | removed   | own
older_version_setting         | older | install close uninstall                      | removed   | none
user_picks_another            | own   | install close pick uninstall                 | removed   | picked
uninstall_twice               | own   | install close uninstall2                     | removed   | own
install_twice                 | own   | install close install close                  | installed | ours
uninstall_then_restart        | own   | install close uninstall restart              | removed   | own
'

# The row of the sequence, its fields trimmed.
row_field() {
  awk -F'|' -v name="$1" -v field="$2" '
    { gsub(/^[ \t]+|[ \t]+$/, "", $1) }
    $1 == name { f = $field; gsub(/^[ \t]+|[ \t]+$/, "", f); print f; found = 1 }
    END { exit !found }' <<<"$lifecycle_table"
}

# Host paths and the Windows paths that name them.
windows_path() { echo "Z:${1//\//\\}"; }

preview_runs=0
preview_pid=
open_display_settings() {
  preview_runs=$((preview_runs + 1))
  rm -f "$case_dir/stop-preview"
  # Straight to the log, which a pipe would hold back until the end.
  "$ZM_WINE" "$probe_exe" preview "$(install_dir)$saver_file" \
    "$(windows_path "$case_dir/stop-preview")" >"$case_dir/preview-$preview_runs.log" &
  preview_pid=$!
  local i
  for ((i = 0; i < patience_ms / 100; i++)); do
    grep -q 'preview started' "$case_dir/preview-$preview_runs.log" 2>/dev/null && return 0
    kill -0 "$preview_pid" 2>/dev/null || fail "the preview did not start"
    sleep 0.1
  done
  fail "the preview did not start"
}

close_display_settings() {
  [[ -n $preview_pid ]] || return 0
  touch "$case_dir/stop-preview"
  if ! wait "$preview_pid"; then
    cat "$case_dir/preview-$preview_runs.log" >&2
    fail "the preview did not end with its window"
  fi
  preview_pid=
}

step_install() {
  start_installer
  install_road
  expect_exit_code 0
  wait_for sheet=none box=none
  # The installer opens the Display settings, which preview the new screen saver: a stand-in
  # runs that preview, the same on every system the tests run on.
  launched_display_settings || fail "the Display settings were not opened"
  open_display_settings
}

uninstaller_runs=0
# Waits for the copy that removes the uninstaller once it has ended.
wait_for_self_removal() {
  local i
  for ((i = 0; i < patience_ms / 100; i++)); do
    [[ -e $(install_dir_here)/$uninstaller_file ]] || return 0
    sleep 0.1
  done
}

start_uninstaller() {
  uninstaller_runs=$((uninstaller_runs + 1))
  "$ZM_WINE" "$(install_dir)$uninstaller_file" /quiet &
}

step_uninstall() {
  [[ -e $(install_dir_here)/$uninstaller_file ]] || fail "there is no uninstaller to run"
  local status=0
  start_uninstaller
  wait $! || status=$?
  echo "uninstaller exit code $status"
  # Only a complete uninstallation removes the uninstaller.
  ((status != 0)) || wait_for_self_removal
}

step_uninstall2() {
  local first second status=0
  start_uninstaller
  first=$!
  start_uninstaller
  second=$!
  wait "$first" || status=$?
  wait "$second" || status=$((status + $?))
  echo "uninstaller exit codes (sum) $status"
  wait_for_self_removal
}

set_setting() {
  if [[ $(family) == 98 ]]; then
    probe ini-set system.ini boot scrnsave.exe "$1"
  else
    probe reg-set HKCU "$desktop_key" scrnsave.exe "$1"
  fi
}

step_long() { set_setting "$(install_dir)$saver_file"; }
step_pick() { set_setting "$users_pick"; }
step_close() { close_display_settings; }
step_preview() { open_display_settings; }

# Every program ends, then the system starts again: Wine's start-up carries out wininit.ini and
# the pending-rename list (wineboot), as Windows does before anyone logs on.
step_restart() {
  echo "queued for the restart:" $(queued_for_restart)
  preview_pid=
  "$ZM_WINE" wineboot --end-session --shutdown --kill >/dev/null 2>&1 || true
  "$ZM_WINESERVER" -w
  "$ZM_WINE" wineboot --restart >/dev/null 2>&1 || true
  "$ZM_WINESERVER" -w
}

set_setting_before() {
  case $1 in
    own) set_previous_setting ;;
    older)
      printf 'MZ an earlier version\n' >"$(install_dir_here)/$older_saver_file"
      set_setting "$(install_dir)$older_saver_file"
      ;;
    *) fail "no such setting before: $1" ;;
  esac
}

readonly session_manager_key='System\CurrentControlSet\Control\Session Manager'

# Files the system will delete or rename at the next start, one a line: the pending-rename list
# and the [rename] section of wininit.ini.
queued_for_restart() {
  local pending
  pending=$(probe reg-get HKLM "$session_manager_key" PendingFileRenameOperations || true)
  [[ $pending == '<no value>' ]] || tr '|' '\n' <<<"$pending" | sed 's/>.*//; s/^\\??\\//'
  local wininit=$WINEPREFIX/drive_c/windows/wininit.ini
  [[ -f $wininit ]] && tr -d '\r' <"$wininit" | awk '
    /^\[/ { section = tolower($0); next }
    section == "[rename]" && index($0, "=") { sub(/^[^=]*=/, ""); print }'
  return 0
}

upper() { tr '[:lower:]' '[:upper:]' <<<"$1"; }

expect_nothing_of_ours_queued() {
  local dir ours=() item queued
  dir=$(install_dir)
  for item in "$saver_file" "$uninstaller_file"; do
    ours+=("$(upper "$dir$item")")
    [[ -e $(install_dir_here)/$item ]] && ours+=("$(upper "$(probe shortpath "$dir$item")")")
  done
  while IFS= read -r queued; do
    [[ -n $queued ]] || continue
    for item in "${ours[@]}"; do
      [[ $(upper "$queued") != "$item" ]] ||
        fail "$queued is to be deleted at the next start"
    done
  done < <(queued_for_restart)
}

expect_setting() {
  local expected
  case $1 in
    ours) expected=$(probe shortpath "$(install_dir)$saver_file") || fail "our screen saver is gone" ;;
    own) expected=$previous_setting ;;
    picked) expected=$users_pick ;;
    none) if [[ $(family) == 98 ]]; then expected=''; else expected='<no value>'; fi ;;
  esac
  expect "the screen saver setting" "$expected" "$(current_setting)"
  if [[ $(family) == 98 ]]; then
    expect "the NT setting on the 95/98 family" '<no value>' \
      "$(probe reg-get HKCU "$desktop_key" scrnsave.exe || true)"
  else
    expect "system.ini on the NT family" '' "$(system_ini_setting)"
  fi
}

expect_removed() {
  local name
  for name in "$saver_file" "$uninstaller_file"; do
    [[ ! -e $(install_dir_here)/$name ]] || fail "$name is still in $(install_dir)"
  done
  expect "the backup key" '<no key>' "$(probe reg-get HKCU "$backup_key" || true)"
  expect "the uninstall entry" '<no key>' \
    "$(probe reg-get HKLM "$uninstall_key" DisplayName || true)"
}

# After a restart nothing waits for the next one.
expect_nothing_queued() {
  expect "the pending-rename list" '<no value>' \
    "$(probe reg-get HKLM "$session_manager_key" PendingFileRenameOperations || true)"
  [[ ! -e $WINEPREFIX/drive_c/windows/wininit.ini ]] || fail "wininit.ini was not carried out"
  # What went aside to be deleted at the restart is gone with it.
  ! compgen -G "$(install_dir_here)/zms*.tmp" >/dev/null ||
    fail "a file that went aside is still there: $(compgen -G "$(install_dir_here)/zms*.tmp")"
}

run_sequence() {
  local row=$1 before steps end setting step
  before=$(row_field "$row" 2) || fail "no sequence called $row"
  steps=$(row_field "$row" 3)
  end=$(row_field "$row" 4)
  setting=$(row_field "$row" 5)
  set_setting_before "$before"
  for step in $steps; do
    echo "step: $step"
    "step_$step"
  done
  close_display_settings

  expect_nothing_of_ours_queued
  [[ $steps != *restart ]] || expect_nothing_queued
  expect_setting "$setting"
  case $end in
    installed)
      expected_backup=$previous_setting expect_installed
      ;;
    removed) expect_removed ;;
  esac
}
