#!/usr/bin/env bash
# match --hex, test and check: answers a line, exit codes, the lines printed.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

# --- match --hex: each answer before the next case is read -----------------
input=""; wants=()
m() { input+="$(text_hex "$1") / $(text_hex "$2")"$'\n'; wants+=("$3"); }
m 'b\fc'       'abc'     '1 3 1 2 2 3'
m 'x(\f)+y'    'xy'      '0 2 0 1 1 2'
m '[a'         ''        'error 0'
m ''           'abc'     'none'
m 'a$'         $'a\r\n'  'none'
input+="83 5C 6E / 83 5C 6E"$'\n'; wants+=('0 3 0 3')
mapfile -t got < <(printf '%s' "$input" | "$tagtool" match --hex)
expect_equal 'match: answers' "${wants[*]}" "${got[*]}"
# A long pattern against 2000 "a"s answers without freezing.
expect_equal 'match: nested repetition' 'none' \
  "$(printf '%s / %s\n' "$(text_hex '(a*)*b')" "$(text_hex "$(printf 'a%.0s' {1..2000})")" |
     "$tagtool" match --hex)"
# The first answer is out while its input is still open.
coproc MATCH { "$tagtool" match --hex; }
match_pid=$MATCH_PID
echo "61 / 61" >&"${MATCH[1]}"
read -r -t 10 first <&"${MATCH[0]}"
expect_equal 'match: answers before reading on' '0 1 0 1' "${first-}"
exec {MATCH[1]}>&-
wait "$match_pid" 2>/dev/null
printf 'zz / 61\n' | "$tagtool" match --hex >/dev/null 2>&1
expect_equal 'match: a bad line' 2 $?

# --- a document to test and check ------------------------------------------
cat >"$work/doc.txt" <<'TEXT'
syntax 1 login
  pattern ^welcome \f.*\f net
  title \1!
syntax 2 id
  pattern ^ID:
syntax 1 menu
  pattern ^menu\n^\f[0-9]+\f new
  lines 2
  title \1 new \(1,2)
syntax 1 broken
  pattern ab[c
syntax 1 twin
  pattern ^welcome \f.*\f net
index none
TEXT
"$tagtool" build "$work/doc.txt" "$work/doc.tag" || fail 'build of the test document failed'
printf 'welcome to grass net\r\nmenu\r\n12 new\r\n' >"$work/sample.txt"

out="$("$tagtool" test "$work/doc.tag" "$work/sample.txt")"
expect_equal 'test: exit' 0 $?
expect_equal 'test: matching syntaxes' $'login (3): lines 1-1: to grass!\nmenu (5): lines 2-3: 12 new [端末: \\(1,2)]\ntwin (7): lines 1-1' "$out"
out="$("$tagtool" test "$work/doc.tag" "$work/sample.txt" --syntax login)"
expect_equal 'test --syntax: parts' $'login (3): lines 1-1: to grass!\n  \\0 welcome \n  \\1 to grass\n  \\2  net' "$out"
out="$("$tagtool" test "$work/doc.tag" "$work/sample.txt" --syntax login/id)"
expect_equal 'test --syntax: no match exits 1' 1 $?
expect_equal 'test --syntax: how far it got' 'login/id (4): 1 文字も一致しない: `^ID:` の `ID:` で不一致' "$out"
"$tagtool" test "$work/doc.tag" "$work/missing.txt" 2>/dev/null
expect_equal 'test: unreadable sample exits 2' 2 $?
"$tagtool" test "$work/doc.tag" "$work/sample.txt" --syntax nowhere 2>/dev/null
expect_equal 'test: unknown syntax exits 2' 2 $?

out="$("$tagtool" check "$work/doc.tag")"
expect_equal 'check: exit with problems' 1 $?
expect_equal 'check: lines' "$work/doc.tag: broken (6): pattern-fault: 構文が読めません（3 文字目: 閉じていない [）
$work/doc.tag: twin (7): same-pattern: 前の兄弟「login」と同じ構文です
$work/doc.tag: none (index 0): index-empty: 索引「none」に構文がひとつもありません" "$out"
"$tagtool" check "$root/examples/bbs-session.tag" >"$work/out"
expect_equal 'check: the example is clean' '0 ' "$? $(cat "$work/out")"
"$tagtool" check "$root/examples/bbs-session.tag" "$work/missing.tag" >/dev/null 2>"$work/err"
expect_equal 'check: unreadable file exits 2' 2 $?
[ -s "$work/err" ] || fail 'check: an unreadable file says why'

finish
