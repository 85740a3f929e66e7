#!/usr/bin/env bash
# The instruction checker on a small linked program with a map, as the shipped programs are
# checked: each function holding a newer processor's instruction is named with it, the clean
# ones pass, a multi-byte NOP after a function's last ret is padding, and one a function can
# fall into is not.
#
#   insn_check_control_test.sh <zm-insn-check> <i686-w64-mingw32-gcc>
set -euo pipefail
checker=$1 gcc=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cat >"$work/control.s" <<'ASM'
	.section .text$clean,"x"
	.globl _clean
_clean:
	movzbl %al, %eax
	fsin
	fucompp
	bt %ecx, %eax
	.byte 0x8d, 0x74, 0x26, 0x00 # lea 0x0(%esi,%eiz,1),%esi: 386 padding inside a function
	ret
	.byte 0x0f, 0x1f, 0x44, 0x00, 0x00, 0xcc, 0x00
	.section .text$uses_cmov,"x"
	.globl _uses_cmov
_uses_cmov:
	cmovne %edx, %eax
	ret
	.section .text$uses_fcomi,"x"
	.globl _uses_fcomi
_uses_fcomi:
	fcomi %st(1), %st
	ret
	.section .text$uses_long_nop,"x"
	.globl _uses_long_nop
_uses_long_nop:
	test %eax, %eax
	.byte 0x0f, 0x1f, 0x40, 0x00
	ret
	.section .text$uses_sse,"x"
	.globl _uses_sse
_uses_sse:
	movss (%eax), %xmm0
	ret
	# One contribution with two functions, as an archive member's .text lists them.
	.text
	.globl _first_in_text
_first_in_text:
	xor %eax, %eax
	ret
	.globl _second_in_text
_second_in_text:
	bswap %eax
	ret
ASM
# Stripped, as the shipped programs are: the map alone names the functions (without the i386
# symbols' leading underscore).
"$gcc" -nostdlib -s -Wl,-e,_clean -Wl,-Map="$work/control.map" -o "$work/control.exe" \
  "$work/control.s"

status=0
"$checker" "$work/control.exe" "$work/control.map" >"$work/out" 2>"$work/err" || status=$?
cat "$work/out" "$work/err"
[[ $status == 1 ]] || fail "exit status $status, not 1"
for expected in "uses_cmov at 0x[0-9a-f]*: cmovne eax, edx" \
  "uses_fcomi at 0x[0-9a-f]*: fcomi st(1)" \
  "uses_long_nop at 0x[0-9a-f]*: nop dword ptr \[eax\] (a multi-byte NOP" \
  "uses_sse at 0x[0-9a-f]*: movss xmm0, dword ptr \[eax\]" \
  "second_in_text at 0x[0-9a-f]*: bswap eax"; do
  grep -q "^$work/control.exe: $expected" "$work/err" || fail "not refused: $expected"
done
[[ $(wc -l <"$work/err") == 5 ]] || fail "refusals beyond the five expected"
grep -q ": clean at\|: first_in_text at" "$work/err" && fail "a clean function was refused"
grep -q "control.exe: 7 functions, [0-9]* instructions decoded, 5 refused" "$work/out" ||
  fail "the summary does not count 7 functions and 5 refusals"

# A map without code is an error, not a pass.
: >"$work/empty.map"
if "$checker" "$work/control.exe" "$work/empty.map" 2>/dev/null; then
  fail "an empty map passed"
fi
echo "PASS"
