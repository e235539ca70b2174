#!/usr/bin/env bash
# The example document: it is what make_example generates from its source,
# its listing is the committed one, and loading and saving it changes nothing.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

make_example="$(dirname "$tagtool")/make_example"
example="$root/examples/bbs-session.tag"

if "$make_example" "$root/examples/bbs-session.txt" "$work/bbs.tag"; then
  cmp -s "$example" "$work/bbs.tag" ||
    fail 'examples/bbs-session.tag is not what make_example generates from bbs-session.txt'
else
  fail 'make_example failed on the example source'
fi

if "$tagtool" dump "$example" >"$work/dump"; then
  diff -u "$root/tests/cli/expected/bbs-session.dump" "$work/dump" >&2 ||
    fail 'the listing of the example differs from tests/cli/expected/bbs-session.dump'
else
  fail 'dump of the example failed'
fi

"$tagtool" upgrade "$example" "$work/again.tag" 2>"$work/err" || fail 'upgrade of the example failed'
expect_equal 'upgrade of the example: no messages' '' "$(cat "$work/err")"
cmp -s "$example" "$work/again.tag" || fail 'loading and saving the example changed its bytes'

# make_example reports a bad source by its line and writes nothing.
check_source_error() {  # WHAT SOURCE EXPECTED_MESSAGE_END
  printf '%s\n' "$2" >"$work/bad.txt"
  rm -f "$work/bad.tag"
  "$make_example" "$work/bad.txt" "$work/bad.tag" 2>"$work/err"; status=$?
  expect_equal "$1: exit status" 1 "$status"
  expect_equal "$1: message" "$work/bad.txt:$3" "$(cat "$work/err")"
  [ -e "$work/bad.tag" ] && fail "$1: a file was written"
}
check_source_error 'depth jump' $'syntax 1 a\nsyntax 3 b' '2: depth rises by more than one'
check_source_error 'bad title' $'syntax 1 a\n  title \\p' '2: title is not a valid pattern'
check_source_error 'unknown member' $'syntax 1 a\nindex i\n  member b' '3: no syntax named b'
check_source_error 'lines beyond the pattern' $'syntax 1 a\n  pattern x\n  lines 2' \
  "1: lines is more than the pattern's 1"

finish
