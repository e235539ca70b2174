#!/usr/bin/env bash
# compile --hex and render --hex: code vectors, failures, the compile area's
# edge and the render bounds.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

# check_lines WHAT COMMAND... : feeds $input, compares each output line with $wants.
check_lines() {
  local what="$1"; shift
  local got i
  mapfile -t got < <(printf '%s' "$input" | "$tagtool" "$@")
  expect_equal "$what: line count" "${#wants[@]}" "${#got[@]}"
  for i in "${!wants[@]}"; do
    expect_equal "$what: ${labels[$i]}" "${wants[$i]}" "${got[$i]-<missing>}"
  done
}

# --- compile -------------------------------------------------------------------
input=""; wants=(); labels=()
c() { input+="$(text_hex "$1")"$'\n'; labels+=("${3:-$1}"); wants+=("$2"); }
c_hex() { input+="$1"$'\n'; labels+=("hex $1"); wants+=("$2"); }

c ''                       '00'
c 'abc'                    '02 03 61 62 63 00'
c '\1'                     '03 31 00'
c '\1 \2'                  '03 31 02 01 20 03 32 00'
c '\( 3 , NIF , -5 )'      '05 03 80 FB 00'
c '\(1,)'                  '04 01 00 00'
c '\(1,-)'                 '04 01 00 00'
c '\(1,-127)'              '04 01 81 00'
c '\(1,128)'               '-1'
c '\(1,-128)'              '-1'
c '\(1,NIFX)'              '-1'
c '\(-1,2)'                '02 06 28 2D 31 2C 32 29 00'
c '\(abc'                  '02 04 28 61 62 63 00'
c 'ab\(cd'                 '02 02 61 62 02 03 28 63 64 00'
c '\("abc")'               '06 03 61 62 63 00 00 00 00 00 00'
c '\("x",1,2)'             '08 01 78 00 00 00 00 00 01 02 00'
c '\("a\"b\vc",2)'         '07 06 61 22 62 5C 76 63 00 00 00 00 00 02 00'
c '\s(\1,"a\vb",3)'        '09 03 31 01 03 61 0B 62 03 00'
c '\r(\1,"a\vb",3)'        '0A 03 31 01 04 61 5C 76 62 03 00 00 00 00 00'
c '\s(-1,2,"x",3)'         '0B FF 02 01 78 03 00'
c '\r(1,2,"x",3)'          '0C 01 02 01 78 03 00 00 00 00 00 00'
c '\p(\2,1,2)'             '0D 03 32 01 01 02 00'
c '\p( \2 ,1,2)'           '0D 03 32 01 01 02 00'
c '\p(\2 x,1,2)'           '-1'
c '\p(\a\1,1,2)'           '0D 02 01 61 03 31 01 01 02 00'
c '\p(\a,1,2)'             '-1'
c '\-'                     '0E 00'
c '\1\-'                   '03 31 0E 00'
c '\1\-x'                  '-1'
c 'ab\-'                   '02 03 61 62 2D 00'
c 'a\\b'                   '02 03 61 5C 62 00'
c 'abc\'                   '-1'
c '\1\'                    '03 31 02 00 00'
c '\s (1,2,"",3)'          '-1'
c '\(1,2'                  '-1'
c '\("abc'                 '-1'
# 表 is 95 5C: its trail byte is no escape.
c_hex '95 5C 5C 31'        '02 02 95 5C 03 31 00'
# Input hex in either case, with or without spaces.
c_hex '0203616263'         '02 05 02 03 61 62 63 00'
c_hex '5c 28 33 2c 34 2C 35 29'  '05 03 04 05 00'

# The compile area holds 240 bytes: "a\1" compiles to 5 bytes, so 47 of them
# and "\1\1" make exactly 240 (end byte included); 48 make 241.
fill=""; for _ in $(seq 47); do fill+='a\1'; done
c "$fill"'\1\1'            "$(for _ in $(seq 47); do printf '02 01 61 03 31 '; done)03 31 03 31 00" '240-byte code'
c "$fill"'a\1'             'overflow' '241-byte code'
c "$fill$fill"             'overflow' '470-byte code'

check_lines compile compile --hex

# --- render --------------------------------------------------------------------
input=""; wants=(); labels=()
r() { input+="$1"$'\n'; labels+=("$1"); wants+=("$(text_hex "$2")"); }
r_fail() { input+="$1"$'\n'; labels+=("$1"); wants+=('-1'); }

r '00'                                             ''
r ''                                               ''
r '05 03 80 FB 00'                                 '\(3,NIF,-5)'
r '02 03 61 5C 62 00'                              'a\\b'
r '02 03 61 62 2D 00'                              'ab-'
r '07 06 61 22 62 5C 76 63 00 00 00 00 00 02 00'   '\("a\"b\vc",2)'
r '09 03 31 01 03 61 0B 62 03 00'                  '\s(\1,"a\vb",3)'
r '09 03 31 01 01 5C 01 00'                        '\s(\1,"\\",1)'
r '0D 03 32 01 01 02 00'                           '\p(\2,1,2)'
r '0E 00'                                          '\-'
r '02 02 61 62 02 03 28 63 64 00'                  'ab(cd'
r '0A 03 31 01 04 61 5C 76 62 03 00 00 00 00 00'   '\r(\1,"a\vb",3)'
r '0C 01 02 01 78 03 00 00 00 00 00 00'            '\r(1,2,"x",3)'
r '08 01 78 00 00 00 00 00 01 02 00'               '\("x",1,2)'
r_fail '95 00'
r_fail '0D 03 31 0F 00'
r_fail '0F'
check_lines render render --hex

# A code that runs past its field fails; the same code in a wider field does not.
input=$'02 05 61 62 63 64 65 00\n'
labels=('five bytes in a field of 4'); wants=('-1')
check_lines 'render --field 4' render --hex --field 4
labels=('five bytes in a field of 8'); wants=("$(text_hex abcde)")
check_lines 'render --field 8' render --hex --field 8
# Only the first N bytes are the field: the end byte past it is not seen.
labels=('end byte past the field'); wants=('-1')
check_lines 'render --field 7' render --hex --field 7

# The render area is 240 bytes: 239 characters and the NUL fit, 240 do not.
run_of() { printf '02 %02X ' "$1"; for _ in $(seq "$1"); do printf '61 '; done; printf '00'; }
input="$(run_of 239)"$'\n'"$(run_of 240)"$'\n'
labels=(239 240); wants=("$(text_hex "$(printf 'a%.0s' $(seq 239))")" '-1')
check_lines 'render area' render --hex --field 250

# --- usage ---------------------------------------------------------------------
for args in "" "compile" "compile --text" "render" "render --hex --field" \
            "render --hex --field 0" "render --hex --field x" "upgrade one" "dump" "frobnicate"; do
  # shellcheck disable=SC2086
  "$tagtool" $args </dev/null >/dev/null 2>"$work/err"; status=$?
  expect_equal "exit status of 'tagtool $args'" 2 "$status"
  grep -q '^usage: tagtool' "$work/err" || fail "no usage line for 'tagtool $args'"
done
printf '02 0\n' | "$tagtool" compile --hex >/dev/null 2>&1; status=$?
expect_equal 'exit status on a line that is not hex' 2 "$status"

finish
