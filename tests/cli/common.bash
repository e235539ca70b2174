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

# --- building .tag files byte by byte (all output goes to stdout) -------------
zeros() { head -c "$1" /dev/zero; }
byte() { printf "\\x$(printf '%02x' "$1")"; }
le16() { byte $(($1 & 255)); byte $(($1 >> 8 & 255)); }
le32() { le16 $(($1 & 65535)); le16 $(($1 >> 16)); }
# field TEXT WIDTH: the text (printf %b escapes) and zeros up to WIDTH bytes.
field() {
  local n
  n="$(printf '%b' "$1" | wc -c)"
  printf '%b' "$1"
  zeros $(($2 - n))
}
# tag_header VERSION LEGACY100 LEGACY154 SYNTAXES MESSAGEFORMATS INDEXES MEMOLENGTH
tag_header() {
  field 'Tarvelon Solvantra Tag file header.' 52
  le32 "$1"; le16 "$2"; le16 "$3"; le16 "$4"; le16 "$5"; le16 "$6"; le16 "$7"
}
# record364 NAME DEPTH PATTERN INTERRUPTING EXIT B351 B352 B353 B354 B355: the
# 364 bytes that every version shares (name through treeItem).
record364() {
  field "$1" 50; byte "$2"; field "$3" 200; byte "$4"; field "$5" 99
  byte "$6"; byte "$7"; byte "$8"; byte "$9"; byte "${10}"
  zeros 8
}
# The three system records of an old file, without titles.
system_records364() {
  record364 '(sys)\x89\xbd\x82\xe0\x82\xc8\x82\xb5' 0 '' 0 '' 0 255 0 1 255
  record364 '(sys)\x83\x4a\x83\x89\x81\x5b\x82\xcc\x91\xb1\x82\xab' 0 '' 0 '' 0 255 0 1 255
  record364 '(sys)\x90\xda\x91\xb1\x8a\x4a\x8e\x6e' 0 '' 0 '' 0 255 0 1 255
}

# byte_at FILE OFFSET: one byte as decimal.
byte_at() { od -An -tu1 -j "$2" -N 1 "$1" | tr -d ' '; }
# bytes_at FILE OFFSET COUNT: upper-case hex as tagtool writes it.
bytes_at() { od -An -v -tx1 -j "$2" -N "$3" "$1" | tr -s ' \n' ' ' | sed 's/^ //; s/ $//' | tr a-f A-F; }
file_size() { wc -c <"$1" | tr -d ' '; }
