# The end-to-end cases, one function each (case_<name>). Sourced by run-case after driver.sh.

# saver_file, uninstaller_file, backup_key, desktop_key and uninstall_key: the product's names,
# written by the build from the programs' own header.
# shellcheck source=/dev/null
source "${ZM_PRODUCT_NAMES:?made by the build}"
# What another screen saver left as the setting before the installer ever ran.
readonly previous_setting='C:\WINDOWS\SYSTEM32\OTHER.SCR'
# 2000-09-13 12:00:00 UTC, whatever the day of the installation.
readonly fixed_time=968846400

family() { [[ $case_name == *_98 ]] && echo 98 || echo nt; }

# The installation directory, as Windows and as this machine name it.
install_dir() {
  if [[ $(family) == 98 ]]; then echo 'C:\windows\system\'; else echo 'C:\windows\'; fi
}
install_dir_here() {
  if [[ $(family) == 98 ]]; then
    echo "$WINEPREFIX/drive_c/windows/system"
  else
    echo "$WINEPREFIX/drive_c/windows"
  fi
}

system_ini_setting() {
  tr -d '\r' <"$WINEPREFIX/drive_c/windows/system.ini" | awk '
    /^\[/ { section = tolower($0) }
    section == "[boot]" && tolower($0) ~ /^scrnsave\.exe=/ { sub(/^[^=]*=/, ""); print }'
}

current_setting() {
  if [[ $(family) == 98 ]]; then
    system_ini_setting
  else
    probe reg-get HKCU "$desktop_key" scrnsave.exe || true
  fi
}

set_previous_setting() {
  if [[ $(family) == 98 ]]; then
    printf '[boot]\r\nscrnsave.exe=%s\r\n' "$previous_setting" >>"$WINEPREFIX/drive_c/windows/system.ini"
  else
    probe reg-set HKCU "$desktop_key" scrnsave.exe "$previous_setting"
  fi
}

# The welcome text, with the sheet's Next button ("&Next >" under Wine) named without its '&' and
# '>'.
expected_welcome_text="Welcome!\\n\\nYou are about to install Zembrino's Screen Saver 1.2, a 3D screen saver.  For the latest information about this product, please visit http://www.zembrino.example.\\n\\nUpon installation, the Screen Saver Properties will be opened automatically for you to configure and test your newly installed screen saver.\\n\\nClick \"Next\" to continue."

on_welcome() {
  wait_for sheet=present page=welcome box=none back.enabled=0 next.visible=1 next.enabled=1 \
    finish.visible=0
  wait_for page=welcome "welcome.text=$expected_welcome_text"
  expect "Next caption" '&Next >' "$(seen next.caption)"
}

on_agreement() {
  local accept=$1 reject=$2 finish=$3
  wait_for sheet=present page=agreement box=none back.visible=1 back.enabled=1 next.visible=0 \
    finish.visible=1 "finish.enabled=$finish" "accept.checked=$accept" "reject.checked=$reject"
  expect "characters in the agreement box" "$(stat -c %s "$stored/text-120.bin")" \
    "$(seen license.length)"
}

select_accept() {
  press accept
  wait_for accept.checked=1 reject.checked=0 finish.enabled=1
}

select_reject() {
  press reject
  wait_for accept.checked=0 reject.checked=1 finish.enabled=0
}

# Next, accept, Finish: the shortest road to an installation.
install_road() {
  on_welcome
  press next
  on_agreement 0 0 0
  select_accept
  press finish
}

expect_installed() {
  local dir here_dir name built
  dir=$(install_dir)
  here_dir=$(install_dir_here)
  for name in "$saver_file" "$uninstaller_file"; do
    built=$built_saver
    [[ $name == "$uninstaller_file" ]] && built=$built_uninstaller
    [[ -f $here_dir/$name ]] || fail "$name is not in $dir"
    cmp -s "$built" "$here_dir/$name" || fail "$name in $dir differs from the built program"
    expect "last-write time of $name" "$fixed_time" "$(stat -c %Y "$here_dir/$name")"
  done
  local short
  short=$(probe shortpath "$dir$saver_file") || fail "no short path for $dir$saver_file"
  expect "the screen saver setting" "$short" "$(current_setting)"
  if [[ $(family) == 98 ]]; then
    expect "the NT setting on the 95/98 family" '<no value>' \
      "$(probe reg-get HKCU "$desktop_key" scrnsave.exe || true)"
  else
    expect "system.ini on the NT family" '' "$(system_ini_setting)"
  fi
  expect "the backup of the previous setting" "${expected_backup:-$previous_setting}" \
    "$(probe reg-get HKCU "$backup_key" || true)"
  expect "uninstall DisplayName" "Zembrino's Screen Saver" \
    "$(probe reg-get HKLM "$uninstall_key" DisplayName)"
  expect "uninstall UninstallString" "${dir}${uninstaller_file}" \
    "$(probe reg-get HKLM "$uninstall_key" UninstallString)"
  launched_display_settings || fail "the Display settings were not opened"
}

# Nothing changed but, at most, the screen saver file of a payload that came before a failure.
expect_nothing_activated() {
  expect "the screen saver setting" "$previous_setting" "$(current_setting)"
  expect "the backup key" '<no key>' "$(probe reg-get HKCU "$backup_key" || true)"
  expect "the uninstall entry" '<no key>' "$(probe reg-get HKLM "$uninstall_key" DisplayName || true)"
  ! launched_display_settings || fail "the Display settings were opened"
  [[ ! -e $(install_dir_here)/$uninstaller_file ]] || fail "$uninstaller_file was written"
}

expect_nothing_installed() {
  expect_nothing_activated
  [[ ! -e $(install_dir_here)/$saver_file ]] || fail "$saver_file was written"
}

first_install() {
  set_previous_setting
  start_installer
  on_welcome
  press next
  on_agreement 0 0 0
  select_accept
  select_reject
  select_accept
  press finish
  expect_exit_code 0
  wait_for sheet=none box=none
  expect_installed
}

case_first_install_nt() { first_install; }
case_first_install_98() { first_install; }

# Over an existing installation the files are written whole again and the backup keeps the
# setting from before the first installation: the installer's own path never becomes it.
case_repeated_install() {
  set_previous_setting
  start_installer
  install_road
  expect_exit_code 0
  expect_installed
  : >"$(install_dir_here)/$uninstaller_file"
  touch "$(install_dir_here)/$saver_file"
  start_installer
  install_road
  expect_exit_code 0
  expect_installed
}

# The agreement page keeps its selection, and Finish its state, across Back and Next.
case_back_and_next() {
  set_previous_setting
  start_installer
  on_welcome
  press next
  on_agreement 0 0 0
  select_accept
  press back
  on_welcome
  press next
  on_agreement 1 0 1
  select_reject
  press back
  on_welcome
  press next
  on_agreement 0 1 0
  select_accept
  press finish
  expect_exit_code 0
  expect_installed
}

# Cancel, by button or by Escape, asks first; No leaves everything as it was, Yes ends the
# program with nothing installed.
case_cancel_welcome() {
  set_previous_setting
  start_installer
  on_welcome
  press cancel
  expect_box "$abort_title" "$abort_text"
  answer_box no
  on_welcome
  key_on_sheet Escape
  expect_box "$abort_title" "$abort_text"
  answer_box no
  on_welcome
  key_on_sheet Escape
  expect_box "$abort_title" "$abort_text"
  answer_box yes
  expect_exit_code 0
  expect_nothing_installed
}

case_cancel_agreement() {
  set_previous_setting
  start_installer
  on_welcome
  press next
  on_agreement 0 0 0
  select_accept
  key_on_sheet Escape
  expect_box "$abort_title" "$abort_text"
  answer_box no
  on_agreement 1 0 1
  press cancel
  expect_box "$abort_title" "$abort_text"
  answer_box no
  on_agreement 1 0 1
  press cancel
  expect_box "$abort_title" "$abort_text"
  answer_box yes
  expect_exit_code 0
  expect_nothing_installed
}

# A damaged agreement text ends the program when the page first shows, before anything is
# installed.
case_damaged_agreement() {
  set_previous_setting
  start_installer "$(damaged_installer "$stored/text-120.bin")"
  on_welcome
  press next
  expect_box "$archive_title" "$archive_text"
  answer_box ok
  expect_exit_code 0
  expect_nothing_installed
}

# A damaged payload stops the installation after the archive error; the wizard closes as after
# an installation, and nothing is activated or registered.
damaged_payload() {
  set_previous_setting
  start_installer "$(damaged_installer "$stored/$1.zlib")"
  install_road
  expect_box "$archive_title" "$archive_text"
  answer_box ok
  expect_exit_code 0
  wait_for sheet=none box=none
}

case_damaged_screen_saver() {
  damaged_payload IDR_00
  expect_nothing_installed
}

case_damaged_uninstaller() {
  damaged_payload IDR_01
  expect_nothing_activated
  expect "last-write time of the screen saver written before the damaged payload" "$fixed_time" \
    "$(stat -c %Y "$(install_dir_here)/$saver_file")"
}

# Without the common controls there is no wizard: a box without an owner says what is missing,
# and the program ends with nothing installed.
case_missing_common_controls() {
  set_previous_setting
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;comctl32=" start_installer
  expect_box "$irrecoverable_title" "$common_controls_text" 0
  answer_box ok
  expect_exit_code 0
  wait_for sheet=none box=none
  expect_nothing_installed
}

# A 32-bit little-endian number, then a counted text, as the restore log stores them.
log_number() {
  local n=$1
  # shellcheck disable=SC2059
  printf "$(printf '\\x%02x\\x%02x\\x%02x\\x%02x' $((n & 255)) $((n >> 8 & 255)) \
    $((n >> 16 & 255)) $((n >> 24 & 255)))"
}
log_text() {
  log_number "${#1}"
  printf '%s' "$1"
}

# A restore log whose second record is malformed: the first is put back, the rest of the log is
# ignored, the log is deleted and the installation goes on as usual. The setting the first
# record restores is the one the installation then backs up.
case_malformed_restore_log() {
  set_previous_setting
  local restored='C:\WINDOWS\SYSTEM32\RESTORED.SCR' log
  log=$(install_dir_here)/$uninstaller_file
  log=${log%.exe}.log
  {
    printf '\x0a\x01'
    log_number $((0x80000001))
    log_text "$desktop_key"
    log_text SCRNSAVE.EXE
    log_text "$restored"
    # A subkey longer than any the log may hold.
    printf '\x01'
    log_number $((0x80000001))
    log_number 5000
  } >"$log"
  start_installer
  install_road
  expect_exit_code 0
  [[ ! -e $log ]] || fail "the restore log is still there"
  expected_backup=$restored expect_installed
}
