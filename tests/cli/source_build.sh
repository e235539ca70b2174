#!/usr/bin/env bash
# source and build: the round trip over every version and over odd bytes
# that only a file holds, and build's errors with their line and column.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

# round_trip WHAT FILE: build(source(FILE)) is what upgrade saves for FILE,
# and the source of the rebuilt file is the same text again.
round_trip() {
  rm -f "$work/up.tag" "$work/rt.tag"
  "$tagtool" upgrade "$2" "$work/up.tag" 2>"$work/up.err"
  "$tagtool" source "$2" >"$work/rt.txt" 2>"$work/src.err" || { fail "$1: source failed"; return; }
  cmp -s "$work/up.err" "$work/src.err" || fail "$1: source and upgrade say different things"
  if ! "$tagtool" build "$work/rt.txt" "$work/rt.tag" 2>"$work/build.err"; then
    fail "$1: build of its source failed"; cat "$work/build.err" >&2; return
  fi
  cmp -s "$work/up.tag" "$work/rt.tag" || fail "$1: build(source) differs from upgrade"
  "$tagtool" source "$work/rt.tag" 2>/dev/null | cmp -s - "$work/rt.txt" || fail "$1: source is not stable"
}

for f in "$root"/fuzz/corpus/fuzz_load_tag_file/*.tag; do
  round_trip "version file $(basename "$f")" "$f"
done

# --- a 4107 file with everything a clean text would lose -----------------------------
poke() {  # poke FILE OFFSET HEX...
  local file="$1" offset="$2"; shift 2
  printf "$(printf '\\x%s' "$@")" | dd of="$file" bs=1 seek="$offset" conv=notrunc status=none
}
odd="$work/odd.tag"
cp "$root/examples/bbs-session.tag" "$odd"
rec() { echo $((68 + 684 * $1 + $2)); }
poke "$odd" "$(rec 0 51)" 73 79 73                        # a system record with a pattern
poke "$odd" "$(rec 3 9)" 41 42                            # bytes after the name's NUL
poke "$odd" "$(rec 4 0)" $(printf '78 %.0s' $(seq 50))    # a name without its NUL
poke "$odd" "$(rec 5 364)" 03 31 00 77 77                 # bytes after the title's end byte
poke "$odd" "$(rec 6 364)" 0F 00                          # a code the renderer refuses
poke "$odd" "$(rec 7 352)" 07 C8 09 00 00 09 05 06 01 02 03 04  # legacy, derived, reserved, ordinal, treeItem
poke "$odd" "$(rec 8 683)" 5A                             # patternNoSep not as derived
poke "$odd" "$(rec 9 50)" 05                              # a depth jump
poke "$odd" "$(rec 10 0)" ED 40 00                        # a character whose code comes back different
poke "$odd" "$(rec 12 364)" 02 01 61 02 01 62 00          # two runs that compile back as one
poke "$odd" "$(rec 13 0)" $(printf 'メインメニュー' | iconv -t CP932 | od -An -v -tx1) 00  # a second syntax of that name
poke "$odd" 11756 63                                      # an unused slot of index 0
poke "$odd" $((11757 + 40)) 19                            # index 1 claims 25 members
poke "$odd" 11818 07                                      # message kind 7
poke "$odd" $((11818 + 154)) 01 02                        # reserved bytes of the format
poke "$odd" $((11818 + 232)) 34 12
poke "$odd" 12286 85 0A 5C                                # memo: a broken character, a lone LF
round_trip 'odd 4107 file' "$odd"
while IFS= read -r line; do
  grep -qxF -- "$line" "$work/rt.txt" || fail "odd 4107 file: source lacks: $line"
done <<'LINES'
system 0 (sys)何もなし
syntax 1 "ログイン" (after NUL: 41 42)
syntax 2 "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx" (no NUL)
  title "\\1" (after the code: 77 77)
  title [0F]
  patternLines 9
  titleMaxSecond 200
  legacyTitleSeparator 7
  reservedA 0
  reservedB 5
  treeItem 67305985
syntax 5! 掲示板
syntax 4 "\xED@" (after NUL: BE 83 77 83 62 83 5F)
  title [02 01 61 02 01 62]
syntax 4 メインメニュー
  message 7
  reserved 01 02
  reservedWord 4660
  unused 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 63
  members 25: 06 0F
memo escaped
LINES
grep -q '^  member "メインメニュー" #1$' "$work/rt.txt" || fail 'odd 4107 file: a member with a shared name by its occurrence'

# --- build's errors: all of them, where they are, and nothing written ---------------------
long() { printf "%$1s" '' | tr ' ' "$2"; }
{
  echo 'syntax 1 a'
  echo '  title ab\p'
  echo 'syntax 3 b'
  echo "syntax 1 $(long 50 n)"
  echo "  pattern $(long 200 p)"
  echo "  exit $(long 99 e)"
  echo "  title $(long 120 t)"
  echo '  number \1'
  echo 'syntax 1 c'
  echo '  interrupting'
  echo 'syntax 2 d'
  echo '  message checked'
  echo "  date $(for _ in $(seq 10); do printf 'x\\1'; done)"
  echo '  comment \s(\1,"x"'
  echo 'syntax 1 e'
  echo '  exit 終わり'
  echo 'syntax 2 f'
  echo "index 名前$(long 35 i)"
  echo '  member nosuch'
  echo '  member a'
  echo '  member a'
  echo 'memo'
  long 65535 m
} >"$work/bad.txt"
rm -f "$work/bad.tag"
"$tagtool" build "$work/bad.txt" "$work/bad.tag" 2>"$work/err"; status=$?
expect_equal 'errors: exit status' 1 "$status"
[ -e "$work/bad.tag" ] && fail 'errors: a file was written'
b="$work/bad.txt"
expect_equal 'errors: every one, by line and column' "$b:2:13: the title pattern does not compile here
$b:3:8: depth rises by more than one
$b:4:59: the name is longer than 49 bytes
$b:5:210: the pattern is longer than 199 bytes
$b:6:106: the exit pattern is longer than 98 bytes
$b:7:9: the title pattern compiles to 123 bytes, more than 119
$b:8:3: message-format settings on a syntax that is not a message syntax
$b:11:8: an interrupting syntax cannot have child syntaxes
$b:13:8: the date pattern compiles to 51 bytes, more than 50
$b:14:20: the comment-number pattern does not compile here
$b:17:8: a syntax with an exit pattern cannot have child syntaxes
$b:18:43: the index name is longer than 38 bytes
$b:19:10: no syntax is named \"nosuch\"
$b:21:10: this member is listed twice
$b:22:1: the memo is 65535 bytes; it must stay below 65535" "$(cat "$work/err")"

# --- hand-written text: each gives these bytes or exactly this error ---------------------
hand="$work/hand.txt"
# built WHAT OFFSET HEX TEXT: the file built from TEXT (printf %b) holds HEX at OFFSET.
built() {
  printf '%b' "$4" >"$hand"
  rm -f "$work/hand.tag"
  if ! "$tagtool" build "$hand" "$work/hand.tag" 2>"$work/hand.err"; then
    fail "$1: refused: $(cat "$work/hand.err")"; return
  fi
  expect_equal "$1" "$3" "$(bytes_at "$work/hand.tag" "$2" "$(wc -w <<<"$3")")"
}
# refused WHAT LINE:COL:MESSAGE TEXT: that one error, status 1, no file.
refused() {
  printf '%b' "$3" >"$hand"
  rm -f "$work/hand.tag"
  "$tagtool" build "$hand" "$work/hand.tag" 2>"$work/hand.err"; local status=$?
  expect_equal "$1: status" 1 "$status"
  [ -e "$work/hand.tag" ] && fail "$1: a file was written"
  expect_equal "$1" "$hand:$2" "$(cat "$work/hand.err")"
}
index_at() { echo $((68 + 684 * $1 + 61 * $2 + $3)); }  # RECORDS ENTRY FIELD
chain='syntax 1 a\nsyntax 2 b\nsyntax 3 c\nsyntax 4 d\nsyntax 5 e\nsyntax 6 f\nsyntax 7 g\n'
title59="$(long 59 1 | sed 's/1/\\\\1/g')"

# A text saved by a Windows editor: byte-order mark and CR LF.
built 'byte-order mark and CR LF' "$(rec 3 0)" '96 BC 91 4F 00' '\xEF\xBB\xBFsyntax 1 名前\r\n  pattern ^x\r\n'
built 'byte-order mark: the pattern' "$(rec 3 51)" '5E 78 00' '\xEF\xBB\xBFsyntax 1 名前\r\n  pattern ^x\r\n'
built 'byte-order mark alone' 60 '03 00' '\xEF\xBB\xBF'
refused 'byte-order mark: columns count after it' '1:8: depth must be 1 to 7' '\xEF\xBB\xBFsyntax 8 a\n'
built 'members stored in table order' "$(index_at 6 0 40)" '03 03 04 05 00' \
  'syntax 1 a\nsyntax 1 b\nsyntax 1 c\nindex i\n  member c\n  member a\n  member b\n'
# Flags hold any byte; alone they mean 1.
built 'a flag alone' "$(rec 3 251)" '01' 'syntax 1 a\n  interrupting\n'
built 'a flag of 2' "$(rec 3 251)" '02' 'syntax 1 a\n  interrupting 2\n'
built 'a flag of 255' "$(rec 3 356)" 'FF' 'syntax 1 a\n  jump-to-child 255\n'
built 'a flag of 0' "$(rec 3 251)" '00' 'syntax 1 a\n  interrupting 0\n'
refused 'a flag of 256' '2:16: interrupting takes a number from 0 to 255' 'syntax 1 a\n  interrupting 256\n'
# Every flag's value comes back from its source, and a system record is given once.
printf 'syntax 1 a\n  interrupting 2\nsyntax 1 b\n  jump-to-child 3\n  message checked\n  check-date 2\n  allow-comment 2\n  up-arrow-comment 254\n' >"$work/flags.txt"
"$tagtool" build "$work/flags.txt" "$work/flags.tag" 2>/dev/null || fail 'flags of 2: refused'
round_trip 'flags of 2' "$work/flags.tag"
cmp -s "$work/flags.tag" "$work/rt.tag" || fail 'flags of 2: build(source) differs from the file'
refused 'a repeated system block' '2:8: system records 0 to 2 come first, in order, each once: system N NAME' \
  'system 2 root\nsystem 2 root\n'
built 'lines 255' "$(rec 3 351)" 'FF' 'syntax 1 a\n  lines 255\n'
refused 'lines 256' '2:9: lines takes a number from 0 to 255' 'syntax 1 a\n  lines 256\n'
# Depths 1 to 7; the name's 49 bytes, a two-byte character last; the index name's 38.
built 'depth 7' "$(rec 9 50)" '07' "$chain"
refused 'depth 8' '8:8: depth must be 1 to 7' "${chain}syntax 8 h\n"
refused 'depth 0' '1:8: depth must be 1 to 7' 'syntax 0 a\n'
built 'a stored depth of 255' "$(rec 3 50)" 'FF' 'syntax 255! a\n'
refused 'a stored depth of 256' '1:8: depth must be 1 to 7' 'syntax 256! a\n'
built 'a name of 49 bytes' "$(rec 3 46)" '78 82 A0 00' "syntax 1 $(long 47 x)あ\n"
refused 'a name of 50 bytes' '1:58: the name is longer than 49 bytes' "syntax 1 $(long 48 x)あ\n"
built 'an index name of 38 bytes' "$(index_at 3 0 37)" '69 00' "index $(long 38 i)\n"
refused 'an index name of 39 bytes' '1:45: the index name is longer than 38 bytes' "index $(long 39 i)\n"
# Escapes in either case of hex; anything else after a backslash is refused.
built 'escaped bytes' "$(rec 3 0)" '7E FF FE 00' 'syntax 1 "\\x7e\\xff\\xFE"\n'
refused 'an unknown escape' '1:12: unknown escape (write \\, \" or \xNN)' 'syntax 1 "a\\q"\n'
# The title's code: 119 bytes with its end fit, 120 do not.
built 'a title of 119 bytes' "$(rec 3 480)" '03 31 00 00' "syntax 1 a\n  title ${title59}\n"
refused 'a title of 120 bytes' '2:9: the title pattern compiles to 120 bytes, more than 119' \
  "syntax 1 a\n  title a${title59:3}\n"
# Two syntaxes of one name: a member names the N-th.
twins='syntax 1 x\nsyntax 1 x\nindex i\n'
built 'the second of two names' "$(index_at 5 0 40)" '01 04 00' "${twins}  member \"x\" #2\n"
refused 'the third of two names' '4:10: there are only 2 syntaxes named "x"' "${twins}  member \"x\" #3\n"
# Stored forms and keys: exact widths, hex bytes apart, each key once.
refused 'a name (no NUL) short of its width' '1:16: the name (no NUL) must be exactly 50 bytes' \
  'syntax 1 "abc" (no NUL)\n'
built 'a code as hex bytes' "$(rec 3 364)" '03 31 00' 'syntax 1 a\n  title [03 31]\n'
refused 'hex bytes run together' '2:10: expected hex bytes such as 0A 3F' 'syntax 1 a\n  title [0331]\n'
refused 'a key given twice' '3:3: lines is given twice' 'syntax 1 a\n  lines 2\n  lines 3\n'
# A tab after a key, or left at a line's end, reads as a blank.
built 'a flag and a tab' "$(rec 3 251)" '01' 'syntax 1 a\n  interrupting\t\n'
built 'a tab before a value' "$(rec 3 351)" '05' 'syntax 1 a\n  lines\t5\t\n'
built 'memo lines joined with CR LF' "$(rec 3 0)" '83 81 83 82 0D 0A 62 00' 'memo\nメモ\nb\n'
built 'the longest memo' 66 'FF FF' "memo\n$(long 65534 m)"

# More records than a file can number, more members than an index holds.
{ for i in $(seq 252); do echo "syntax 1 s$i"; done; } >"$work/many.txt"
"$tagtool" build "$work/many.txt" "$work/many.tag" 2>"$work/err" || fail '255 records: refused'
{ echo 'syntax 1 one more'; echo 'index many'; for i in $(seq 21); do echo "  member s$i"; done; } >>"$work/many.txt"
"$tagtool" build "$work/many.txt" "$work/many.tag" 2>"$work/err"; status=$?
expect_equal 'many: exit status' 1 "$status"
expect_equal 'many: messages' "$work/many.txt:253:1: more than 255 syntaxes (the system records included)
$work/many.txt:275:10: more than 20 members" "$(cat "$work/err")"

"$tagtool" build "$work/bad.txt" 2>/dev/null; expect_equal 'build without an output: usage' 2 "$?"
"$tagtool" source 2>/dev/null; expect_equal 'source without a file: usage' 2 "$?"

finish
