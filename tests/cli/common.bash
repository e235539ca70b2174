# Shared by the tagtool scripts (sourced; not a test of its own).
# Every script gets: $1 the tagtool program, $2 the repository root.
set -uo pipefail
tagtool="$1"
root="$2"
failures=0
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# expect_equal WHAT EXPECTED ACTUAL
expect_equal() {
  if [ "$2" != "$3" ]; then
    fail "$1"
    printf '  expected: %s\n  actual:   %s\n' "$2" "$3" >&2
  fi
}

# The bytes of a string as tagtool's hex ("61 62 63").
text_hex() {
  printf '%s' "$1" | od -An -v -tx1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//' | tr a-f A-F
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
  fi
  echo "ok"
}
