#!/usr/bin/env bash
# scripts/compare-builds names the first difference between two builds of a program and what
# lies there; a copy of the installer with one byte changed at a time stands in for the second
# build.
#
#   compare_builds_test.sh <objdump> <program.exe>
set -euo pipefail
objdump=$1 program=$2
compare=$(cd "$(dirname "$0")/../../scripts" && pwd)/compare-builds
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/a" "$work/b"
cp "$program" "$work/a/p.exe"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# <offset> <what the message must name>
expect_named() {
  local at=$1 named=$2 old message
  cp "$program" "$work/b/p.exe"
  old=$(od -An -tu1 -j "$at" -N 1 "$program" | tr -d ' ')
  # shellcheck disable=SC2059
  printf "\\$(printf %03o $((old ^ 0xFF)))" | dd of="$work/b/p.exe" bs=1 seek="$at" conv=notrunc status=none
  if message=$("$compare" "$objdump" "$work/a" "$work/b" p.exe 2>&1); then
    fail "a byte changed at $at went unnoticed"
  fi
  [[ $message == *"first at offset $(printf 0x%x "$at") ($named"* ]] ||
    fail "a byte changed at $at: expected the message to name [$named], got [$message]"
}

cp "$program" "$work/b/p.exe"
"$compare" "$objdump" "$work/a" "$work/b" p.exe >/dev/null || fail "identical copies were reported as different"

pe=$(od -An -tu4 -j 60 -N 4 "$program" | tr -d ' ')
text_offset=$(("16#$("$objdump" -h "$program" | awk '$2 == ".text" { print $6 }')"))
expect_named 2 "the DOS header"
expect_named $((pe + 8)) "the file header's TimeDateStamp"
expect_named $((pe + 24 + 64)) "the optional header's CheckSum"
expect_named $((text_offset + 16)) "section .text, offset 0x10"
rm "$work/b/p.exe"
! "$compare" "$objdump" "$work/a" "$work/b" p.exe 2>/dev/null || fail "a missing file went unnoticed"
echo "compare_builds_test: passed"
