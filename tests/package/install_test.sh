#!/usr/bin/env bash
# The packages as a Windows user meets them, in a fresh Wine prefix: the MSI
# installs silently, another build of the same version replaces it, a .tag
# opens from the shell, a newer MSI replaces it (and an older one is
# refused), uninstalling removes program, shortcut and association but not
# the user's file or settings, and the zip's editor runs
# where it is unpacked. Needs a display (xvfb-run).
# Usage: install_test.sh PACKAGE_DIR   (what scripts/package wrote)
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
. "$root/scripts/lib/wine-prefix.sh"
. "$root/scripts/lib/msi.sh"

pkg="$(realpath "$1")"
msi="$(ls "$pkg"/Lumaset-*-x64.msi)"
version="$(basename "$msi" | sed 's/^Lumaset-\(.*\)-x64\.msi$/\1/')"
zip="$pkg/Lumaset-$version-x64.zip"
stage="$pkg/stage/Lumaset-$version-x64"
newer="${version%.*}.$((${version##*.} + 1))"
work="$root/build/package-test"
prefix="$work/prefix"
caption="Tarvelonカラー構文エディタ"
installed="$prefix/drive_c/Program Files/Lumaset"
uninstall_key='HKEY_LOCAL_MACHINE\Software\Microsoft\Windows\CurrentVersion\Uninstall'

export WINEPREFIX="$prefix"
# Wine names Unix files in the locale's character set, and the shortcut and
# the test document have Japanese names: a C locale would lose them.
export LC_ALL=C.UTF-8
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
# Ends every program of the prefix, as closing the editor would; nothing of
# it may outlive the test.
end_programs() { "$WINESERVER" -k 2>/dev/null; "$WINESERVER" -w 2>/dev/null; }
trap end_programs EXIT

wine() { timeout 120 "$WINE64" "$@"; }
winpath() { local p="${1//\//\\}"; printf 'Z:%s' "$p"; }
# A key as regedit exports it (UTF-8, without CRs), empty when it is missing.
reg_export() {
    rm -f "$work/export.reg"
    wine regedit /E "$(winpath "$work/export.reg")" "$1" >/dev/null 2>&1
    [ -f "$work/export.reg" ] && iconv -f UTF-16 -t UTF-8 "$work/export.reg" | tr -d '\r'
}
expect_line() {  # expect_line WHAT LINE TEXT
    grep -Fqx -- "$2" <<<"$3" || fail "$1: no line $2"
}
shortcuts() { find "$prefix/drive_c" -name "$caption.lnk" | wc -l; }
uninstall_entries() { reg_export "$uninstall_key" | grep -c -Fx "\"DisplayName\"=\"$caption\""; }
# Waits up to 60 s for a visible window whose title matches.
wait_window() {
    local _
    for _ in $(seq 1 120); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0
        sleep 0.5
    done
    return 1
}
# same_files WHAT DIR: DIR holds every staged file, byte for byte.
same_files() {
    local f differ
    differ="$( (cd "$stage" && find . -type f) | while read -r f; do
        cmp -s "$stage/$f" "$2/$f" || printf '%s ' "$f"
    done)"
    [ -z "$differ" ] || fail "$1: these differ or are missing: $differ"
}
check_installed() {
    same_files "$1" "$installed"
    [ "$(shortcuts)" -eq 1 ] || fail "$1: $(shortcuts) Start menu shortcuts, not 1"
}

rm -rf "$work"
mkdir -p "$work/docs"
prepare_wine_prefix "$prefix"
build_msi "$stage" "$newer" "$work/Lumaset-$newer-x64.msi" || fail "building the $newer package"
# Another build of the same version: a new product code, the same version line.
build_msi "$stage" "$version" "$work/Lumaset-$version-rebuilt-x64.msi" || fail "building $version again"

echo "-- install $version"
wine msiexec /i "$(winpath "$msi")" /qn || fail "msiexec /i exited with $?"
check_installed "install"
out="$(wine "C:\\Program Files\\Lumaset\\tagtool.exe" --version | tr -d '\r')"
[ "$out" = "tagtool $version" ] || fail "installed tagtool --version says '$out'"
tag="$(reg_export 'HKEY_CLASSES_ROOT\.tag')"
expect_line ".tag" '@="Lumaset.TagFile"' "$tag"
expect_line ".tag" '"Lumaset.TagFile"=""' "$tag"
progid="$(reg_export 'HKEY_CLASSES_ROOT\Lumaset.TagFile')"
expect_line "ProgID" '@="カラー構文定義ファイル"' "$progid"
expect_line "ProgID" '@="\"C:\\Program Files\\Lumaset\\Lumaset.exe\",0"' "$progid"
expect_line "ProgID" '@="\"C:\\Program Files\\Lumaset\\Lumaset.exe\" \"%1\""' "$progid"
entry="$(reg_export "$uninstall_key")"
expect_line "uninstall entry" "\"DisplayVersion\"=\"$version\"" "$entry"
expect_line "uninstall entry" '"Publisher"="Pemberlyx"' "$entry"
expect_line "uninstall entry" '"InstallLocation"="C:\\Program Files\\Lumaset\\"' "$entry"

echo "-- a second build of $version replaces the first"
wine msiexec /i "$(winpath "$work/Lumaset-$version-rebuilt-x64.msi")" /qn || fail "rebuild: msiexec /i exited with $?"
[ "$(uninstall_entries)" -eq 1 ] || fail "rebuild: $(uninstall_entries) entries in the installed-programs list"
check_installed "rebuild"

echo "-- the Start menu shortcut"
wine start /unix "$(find "$prefix/drive_c" -name "$caption.lnk" | head -n 1)"
wait_window '^\(新規\) - '"$caption"'$' || fail "the Start menu shortcut showed no editor window"
end_programs

echo "-- open a .tag from the shell"
doc="$work/docs/関連付け試験.tag"
cp "$root/examples/bbs-session.tag" "$doc"
wine start /unix "$doc"
wait_window '関連付け試験\.tag - '"$caption"'$' || fail "no editor window titled with the opened file"
end_programs
settings="$(reg_export 'HKEY_CURRENT_USER\Software\Pemberlyx\Tarvelon95\Lumaset')"
expect_line "recent files" "\"FileHist00\"=\"$(winpath "$doc" | sed 's/\\/\\\\/g')\"" "$settings"

echo "-- upgrade to $newer, then try $version again"
wine msiexec /i "$(winpath "$work/Lumaset-$newer-x64.msi")" /qn || fail "upgrade: msiexec /i exited with $?"
[ "$(uninstall_entries)" -eq 1 ] || fail "upgrade: $(uninstall_entries) entries in the installed-programs list"
expect_line "upgrade" "\"DisplayVersion\"=\"$newer\"" "$(reg_export "$uninstall_key")"
check_installed "upgrade"
wine msiexec /i "$(winpath "$msi")" /qn && fail "the older package installed over the newer one"
expect_line "downgrade refused" "\"DisplayVersion\"=\"$newer\"" "$(reg_export "$uninstall_key")"

echo "-- uninstall"
wine msiexec /x "$(winpath "$work/Lumaset-$newer-x64.msi")" /qn || fail "msiexec /x exited with $?"
[ -e "$installed" ] && fail "uninstall left $(cd "$installed" && find . | tr '\n' ' ')"
[ "$(shortcuts)" -eq 0 ] || fail "uninstall left the Start menu shortcut"
[ -n "$(reg_export 'HKEY_CLASSES_ROOT\.tag')" ] && fail "uninstall left HKCR\\.tag"
[ -n "$(reg_export 'HKEY_CLASSES_ROOT\Lumaset.TagFile')" ] && fail "uninstall left the ProgID"
[ "$(uninstall_entries)" -eq 0 ] || fail "uninstall left the installed-programs entry"
[ "$(reg_export 'HKEY_CURRENT_USER\Software\Pemberlyx\Tarvelon95\Lumaset')" = "$settings" ] ||
    fail "uninstall changed the user's settings"
cmp -s "$root/examples/bbs-session.tag" "$doc" || fail "uninstall touched the user's file"

echo "-- the zip"
python3 -c 'import sys, zipfile; zipfile.ZipFile(sys.argv[1]).extractall(sys.argv[2])' "$zip" "$work/portable"
portable="$work/portable/Lumaset-$version-x64"
same_files "zip" "$portable"
readme="$portable/はじめにお読みください.txt"
[ "$(head -c 3 "$readme" | od -An -tx1 | tr -d ' ')" = efbbbf ] || fail "zip: the readme has no BOM"
grep -q $'tagtool\\.exe dump.*\r$' "$readme" || fail "zip: the readme is not CRLF text with the textconv use"
wine "$(winpath "$portable/Lumaset.exe")" "$(winpath "$portable/examples/bbs-session.tag")" &
wait_window 'bbs-session\.tag - '"$caption"'$' || fail "the unpacked editor showed no window for the example"
end_programs
wait

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed; the prefix is kept in $work" >&2
    exit 1
fi
end_programs
rm -rf "$work"   # the prefix alone is hundreds of megabytes
echo "ok"
