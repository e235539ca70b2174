#!/usr/bin/env bash
# The example document: it is what `tagtool build` makes of its text, its
# source is that text, its listing is the committed one, and loading and
# saving it changes nothing.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

example="$root/examples/bbs-session.tag"
text="$root/examples/bbs-session.txt"

if "$tagtool" build "$text" "$work/bbs.tag"; then
  cmp -s "$example" "$work/bbs.tag" ||
    fail 'examples/bbs-session.tag is not what tagtool build makes of bbs-session.txt'
else
  fail 'tagtool build failed on the example text'
fi

# The text is the source of the file, comments and the blank lines after them aside.
"$tagtool" source "$example" >"$work/source.txt" || fail 'source of the example failed'
diff -u <(grep -v '^#' "$text" | sed '/./,$!d') "$work/source.txt" >&2 ||
  fail 'tagtool source of the example differs from bbs-session.txt'

if "$tagtool" dump "$example" >"$work/dump"; then
  diff -u "$root/tests/cli/expected/bbs-session.dump" "$work/dump" >&2 ||
    fail 'the listing of the example differs from tests/cli/expected/bbs-session.dump'
else
  fail 'dump of the example failed'
fi

"$tagtool" upgrade "$example" "$work/again.tag" 2>"$work/err" || fail 'upgrade of the example failed'
expect_equal 'upgrade of the example: no messages' '' "$(cat "$work/err")"
cmp -s "$example" "$work/again.tag" || fail 'loading and saving the example changed its bytes'

finish
