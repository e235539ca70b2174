# Shared by scripts/package and its test: the MSI from a staged program folder.
# Usage: . scripts/lib/msi.sh; build_msi STAGE_DIR VERSION OUT.msi

_lumaset_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

build_msi() {
    local stage="$1" version="$2" out="$3" work status=0
    stage="$(realpath "$stage")"
    out="$(realpath -m "$out")"
    work="$(mktemp -d)"
    # This wixl finds sources only by relative paths: it runs in a folder
    # holding the staged tree and the icon.
    ln -s "$stage" "$work/stage"
    cp "$_lumaset_root/resources/lumaset.ico" "$work/lumaset.ico"
    # Everything staged but the two programs, which the WiX source names
    # itself, goes in through a fragment: help pages and examples follow
    # the folder without edits to the source.
    (cd "$work" && find stage/ -mindepth 2 -type f | LC_ALL=C sort |
        wixl-heat -p stage/ --directory-ref INSTALLDIR --component-group StagedFiles \
            --var var.SourceDir --win64 >staged.wxs) || status=1
    cp "$_lumaset_root/packaging/lumaset.wxs" "$work/lumaset.wxs"
    # This wixl sets Product/@Codepage only on the summary, and converts the
    # table strings with the code page of WINDOWS_LANGUAGE: Japanese text
    # needs "ja" there (else the strings come out empty or wixl crashes),
    # and then the database is marked 932 itself, so Windows reads the names
    # right whatever its own code page. The template (platform;language)
    # is set afterwards for the same reason.
    printf '\r\n\r\n932\t_ForceCodepage\r\n' >"$work/_ForceCodepage.idt"
    # wixl says "unimplemented" of the non-advertised shortcut, which it
    # builds all the same; anything else it says is shown.
    if [ $status -eq 0 ] && ! (cd "$work" && export WINDOWS_LANGUAGE=ja &&
            wixl -a x64 -D Version="$version" -D SourceDir=stage -D Win64=yes \
                -D IconFile=lumaset.ico -o "$out" lumaset.wxs staged.wxs 2>log &&
            msibuild "$out" -i _ForceCodepage.idt \
                -s "Tarvelonカラー構文エディタ $version" Pemberlyx "x64;1041" 2>>log); then
        status=1
    fi
    [ -f "$work/log" ] && grep -v 'unimplemented' "$work/log" >&2 || true
    # A second build of the same version must replace the first, not sit
    # beside it as another product: this wixl ignores
    # MajorUpgrade/@AllowSameVersionUpgrades, so the upgrade row gets its
    # inclusive maximum (msidbUpgradeAttributesVersionMaxInclusive) here.
    if [ $status -eq 0 ]; then
        (cd "$work" && msiinfo export "$out" Upgrade >Upgrade.idt &&
            python3 - Upgrade.idt <<'PY' && msibuild "$out" -i Upgrade.idt) || status=1
import sys
path = sys.argv[1]
rows = open(path, newline="").read().split("\r\n")
marked = 0
for i in range(3, len(rows)):
    fields = rows[i].split("\t")
    if len(fields) == 7 and fields[6] == "WIX_UPGRADE_DETECTED":
        fields[4] = str(int(fields[4]) | 0x200)
        rows[i] = "\t".join(fields)
        marked += 1
if marked != 1:
    sys.exit("build_msi: expected one upgrade row, found %d" % marked)
open(path, "w", newline="").write("\r\n".join(rows))
PY
        [ $status -eq 0 ] || echo "build_msi: could not allow same-version upgrades in $out" >&2
    fi
    if [ $status -eq 0 ]; then
        msiinfo export "$out" Property 2>/dev/null | tr -d '\r' >"$work/property" || true
        if ! grep -q $'^ProductName\tTarvelonカラー構文エディタ$' "$work/property"; then
            echo "build_msi: the product name did not survive into $out" >&2
            status=1
        fi
    fi
    rm -rf "$work"
    [ $status -eq 0 ] || rm -f "$out"
    return $status
}
