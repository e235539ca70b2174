#!/usr/bin/env bash
# dump: escaping of bytes that are not text, and the stored bytes that have no
# meaning to the editor but must not be hidden from a diff.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

# record684 NAME DEPTH PATTERN TITLECODE_FIELD(%b) RESERVED_B
record684() {
  field "$1" 50; byte "$2"; field "$3" 200; byte 0; field '' 99
  byte 1; byte 0; byte 0; byte 1; byte 255; byte 0; byte 0; byte "$5"; byte 0; zeros 4
  field "$4" 120
  field "$3" 200
}
memo='line one\r\nline\ntwo\r\n\\end'
memo_length=$(($(printf '%b' "$memo" | wc -c) + 1))
{
  tag_header 4107 0 0 5 0 1 "$memo_length"
  for n in 0 1 2; do record684 "sys$n" 0 '' '' 0; done
  # invalid pair 85 40, backslash, tab, quote, half-width katakana, bytes that
  # are no character, a lead byte cut off by the NUL; then bytes after the NUL
  record684 'A\x85\x40\\\t"\xb1\x80\xfd\x83\0tail' 1 'a\\fb' '\x03\x31\x00\x77' 7
  # a code with a byte that is not an opcode
  record684 'bad code' 1 '' '\x03\x31\x0f\x00' 0
  field 'ix' 40; byte 2; byte 3; byte 9; byte 5; zeros 17
  printf '%b\0' "$memo"
} >"$work/odd.tag"

"$tagtool" dump "$work/odd.tag" >"$work/dump" 2>"$work/err"; status=$?
expect_equal 'exit status' 0 "$status"
expect_equal 'no messages' '' "$(cat "$work/err")"

expect_line() {  # expect_line WHAT LINE
  grep -qxF -- "$2" "$work/dump" || { fail "$1"; printf '  missing line: %s\n' "$2" >&2; }
}
expect_line 'escaped name with its bytes after the NUL' \
  '  syntax 3 "A\x85@\\\x09\"ｱ\x80\xFD\x83" (after NUL: 74 61 69 6C)'
expect_line 'pattern backslash escaped' '      pattern "a\\fb"'
expect_line 'title with the bytes after its code' '      title "\\1" [03 31 00] (after the code: 77)'
expect_line 'unusual reserved byte' '      other: reservedB 7'
expect_line 'code that does not render' '      title (cannot render) [03 31 0F] (no end byte in the field)'
expect_line 'member past the table' '      9 (no such syntax)'
expect_line 'member slots beyond the count' '    unused slots 05'
expect_line 'memo split at CR LF, lone LF escaped' '  | line\x0Atwo'
expect_line 'memo backslash' '  | \\end'
expect_line 'memo length' "memo: $((memo_length - 1)) bytes"
expect_line 'header' 'stored counts: 5 syntaxes, 1 indexes, 0 message formats, memo '"$memo_length"' bytes'

# A file that does not load: the loader's message, no listing, status 1.
"$tagtool" dump "$work/none.tag" >"$work/dump" 2>"$work/err"; status=$?
expect_equal 'missing file: exit status' 1 "$status"
expect_equal 'missing file: message' "$work/none.tagは見つかりません。" "$(cat "$work/err")"
expect_equal 'missing file: no listing' '' "$(cat "$work/dump")"

finish
