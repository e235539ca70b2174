#!/usr/bin/env bash
# tagtool --version prints the project version that CMakeLists.txt sets.
. "$(dirname "${BASH_SOURCE[0]}")/common.bash"

expected="$(sed -n 's/^project(Lumaset VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")"
[ -n "$expected" ] || fail 'no project version in CMakeLists.txt'
expect_equal 'tagtool --version' "tagtool $expected" "$("$tagtool" --version)"
"$tagtool" --version extra >/dev/null 2>&1
expect_equal 'tagtool --version with an argument is a usage error' 2 "$?"
finish
