#!/usr/bin/env bash
# A DLL planted beside a program is not loaded by bare name when the program starts with one of
# the shipped programs' entries; the control, the same program with the tool chain's start-up
# code, loads it (so the check can fail). Runs inside the Wine harness (scripts/wine with).
#
#   planted_dll_test.sh <planted DLL> <control program> <program with an entry>...
set -euo pipefail
: "${ZM_WINE:?runs inside scripts/wine with}"
dll=$1 control=$2
shift 2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

failures=0
# <program> <expected exit code> <whether the DLL may load: yes|no>
check() {
  local program=$1 expected=$2 loads=$3 name status=0
  name=$(basename "$program")
  rm -rf "$work/folder" && mkdir "$work/folder"
  cp "$program" "$dll" "$work/folder/"
  # Started from another folder, so that only the program's own folder holds the DLL.
  (cd "$work" && "$ZM_WINE" "$work/folder/$name") || status=$?
  local marked=no
  [[ -e $work/folder/$(basename "$dll").loaded ]] && marked=yes
  if [[ $status != "$expected" || $marked != "$loads" ]]; then
    echo "FAIL: $name: expected exit code $expected and DLL loaded: $loads;" \
      "found exit code $status and DLL loaded: $marked" >&2
    failures=$((failures + 1))
  else
    echo "ok: $name: exit code $status, DLL loaded: $marked"
  fi
}

check "$control" 1 yes
for program in "$@"; do check "$program" 0 no; done
exit $((failures > 0))
