#!/usr/bin/env bash
# upgrade: old versions converted and written as 4107, and the failures with
# their messages and exit status.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

filled() { zeros "$1" | tr '\0' "\\$2"; }  # filled COUNT OCTAL

# --- version 4098: 364-byte records, title as position numbers, legacy blocks
{
  tag_header 4098 1 1 5 0 1 6
  filled 100 252
  system_records364
  # title numbers 2, 0 and third 5; lines to colour at 354
  record364 'old' 1 'a\\nb' 1 'x$' 5 2 0 2 0
  record364 'none' 2 'c' 0 '' 0 255 0 1 0
  filled 40 273     # one 40-byte legacy index block
  filled 154 314    # one 154-byte block
  printf 'memo!\0'
} >"$work/v4098.tag"

"$tagtool" upgrade "$work/v4098.tag" "$work/v4098-up.tag" 2>"$work/err"; status=$?
expect_equal '4098: exit status' 0 "$status"
expect_equal '4098: no messages' '' "$(cat "$work/err")"
out="$work/v4098-up.tag"
expect_equal '4098: size' $((68 + 5 * 684 + 6)) "$(file_size "$out")"
expect_equal '4098: version and counts' '0B 10 00 00 00 00 00 00 05 00 00 00 00 00 06 00' \
  "$(bytes_at "$out" 52 16)"
r=$((68 + 3 * 684))
expect_equal '4098: title from three numbers' '05 02 00 05 00' "$(bytes_at "$out" $((r + 364)) 5)"
expect_equal '4098: lines to colour from offset 354' 2 "$(byte_at "$out" $((r + 351)))"
expect_equal '4098: patternLines derived' 2 "$(byte_at "$out" $((r + 354)))"
expect_equal '4098: patternNoSep rebuilt' "$(text_hex 'a\nb')" "$(bytes_at "$out" $((r + 484)) 4)"
expect_equal '4098: interrupting, exit pattern kept' "01 $(text_hex 'x$') 00" \
  "$(bytes_at "$out" $((r + 251)) 4)"
r=$((68 + 4 * 684))
expect_equal '4098: separator 255 means no title' '00' "$(bytes_at "$out" $((r + 364)) 1)"
expect_equal '4098: memo' "$(text_hex 'memo!') 00" "$(bytes_at "$out" $((68 + 5 * 684)) 6)"

# --- version 4104: 684-byte records with the title as text; one title too
# long, one that does not compile; an index; a memo of only its NUL
title_record() {  # title_record NAME TITLE
  record364 "$1" 1 'p' 0 '' 1 0 0 1 255
  field "$2" 120
  field 'stale' 200
}
long=""; for _ in $(seq 24); do long+='a\\1'; done   # 121 bytes of code
{
  tag_header 4104 0 0 6 0 1 1
  for n in 0 1 2; do record364 "sys$n" 0 '' 0 '' 1 0 0 1 255; zeros 320; done
  title_record 'ok' '\\1'
  title_record 'long' "$long"
  title_record 'bad' '\\p'
  field 'idx' 40; byte 2; byte 3; byte 5; zeros 18
  printf '\0'
} >"$work/v4104.tag"

"$tagtool" upgrade "$work/v4104.tag" "$work/v4104-up.tag" 2>"$work/err"; status=$?
expect_equal '4104: exit status' 0 "$status"
expect_equal '4104: messages, one per failing title, in table order, each naming the file' \
  "$work/v4104.tag
ツリーに表示するタイトルを変換したらサイズが大きすぎて入り切りませんでした。該当するタイトルが\"タイトル長すぎ\"になります。
$work/v4104.tag
ツリーに表示するタイトルの変換処理でエラーが発生しました。該当するタイトルが\"変換エラー\"になります。" \
  "$(cat "$work/err")"
out="$work/v4104-up.tag"
expect_equal '4104: size' $((68 + 6 * 684 + 61 + 1)) "$(file_size "$out")"
r=$((68 + 3 * 684))
expect_equal '4104: title compiled' '03 31 00' "$(bytes_at "$out" $((r + 364)) 3)"
expect_equal '4104: patternNoSep recomputed' '70 00' "$(bytes_at "$out" $((r + 484)) 2)"
r=$((68 + 4 * 684))
expect_equal '4104: too-long title replaced' "02 0E $(printf 'タイトル長すぎ' | iconv -t CP932 | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//' | tr a-f A-F) 00" \
  "$(bytes_at "$out" $((r + 364)) 17)"
r=$((68 + 5 * 684))
expect_equal '4104: bad title replaced' "02 0A $(printf '変換エラー' | iconv -t CP932 | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//' | tr a-f A-F) 00" \
  "$(bytes_at "$out" $((r + 364)) 13)"
expect_equal '4104: index entry kept' "$(text_hex idx) $(bytes_at "$work/v4104.tag" $((68 + 6 * 684 + 3)) 58)" \
  "$(bytes_at "$out" $((68 + 6 * 684)) 61)"
expect_equal '4104: a memo of only a NUL stays an empty memo' '01 00' "$(bytes_at "$out" 66 2)"
expect_equal '4104: memo byte' '00' "$(bytes_at "$out" $((68 + 6 * 684 + 61)) 1)"

# --- failures: the message is the path followed directly by the text ------------
expect_failure() {  # expect_failure WHAT IN OUT MESSAGE
  "$tagtool" upgrade "$2" "$3" 2>"$work/err"; status=$?
  expect_equal "$1: exit status" 1 "$status"
  expect_equal "$1: message" "$4" "$(cat "$work/err")"
}
rm -f "$work/out.tag"
expect_failure 'missing file' "$work/none.tag" "$work/out.tag" "$work/none.tagは見つかりません。"
[ -e "$work/out.tag" ] && fail 'missing file: an output was written'

{ field 'Tarvelon Solvantra Tag file header.X' 52; le32 4107; zeros 12; } >"$work/magic.tag"
expect_failure 'magic without its NUL' "$work/magic.tag" "$work/out.tag" \
  "$work/magic.tagはTarvelon用のファイルではありません。"

{ tag_header 4108 0 0 3 0 0 0; } >"$work/new.tag"
expect_failure 'version 4108' "$work/new.tag" "$work/out.tag" \
  "$work/new.tagのバージョンが新しすぎて扱えません。"

head -c 40 "$work/v4098.tag" >"$work/short.tag"
expect_failure 'header cut short' "$work/short.tag" "$work/out.tag" \
  "$work/short.tagの読み込みに失敗しました。"

expect_failure 'output directory missing' "$work/v4098.tag" "$work/no/such/dir/out.tag" \
  "$work/no/such/dir/out.tagの作成に失敗しました。"

finish
