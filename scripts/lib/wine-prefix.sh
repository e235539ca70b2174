# Shared by the scripts: a Wine prefix ready for Lumaset.
# Usage: . scripts/lib/wine-prefix.sh; prepare_wine_prefix PREFIX [WIDTHxHEIGHT]
# With a size, the prefix also gets a virtual desktop (title bars under Xvfb).

WINE64=/usr/lib/wine/wine64
WINESERVER=/usr/lib/wine/wineserver
[ -x "$WINESERVER" ] || WINESERVER=/usr/lib/wine/wineserver64
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"

# Where Debian's fonts-wine puts Wine's own fonts; this Wine does not look
# there by itself, so captions and menus lose their Marlett glyphs.
WINE_FONT_DIR=/usr/share/wine/fonts

# Imports .reg text (UTF-8 here) into the prefix; fails when regedit does.
# regedit wants UTF-16 to keep non-ASCII value names intact.
_lumaset_import_reg() {
    local file="$1"
    iconv -f UTF-8 -t UTF-16 > "$file"
    "$WINE64" regedit /S "$file" >/dev/null 2>&1
}

# Every UI font the program or Wine asks for, mapped to the IPA fonts, so
# menus, dialogs and message boxes show Japanese instead of boxes.
_lumaset_font_replacements() {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"ＭＳ ゴシック"="IPAGothic"\r\n'
    printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n'
    printf '"ＭＳ 明朝"="IPAMincho"\r\n'
    printf '"ＭＳ Ｐ明朝"="IPAPMincho"\r\n'
    printf '"MS Gothic"="IPAGothic"\r\n'
    printf '"MS PGothic"="IPAPGothic"\r\n'
    printf '"MS Mincho"="IPAMincho"\r\n'
    printf '"MS PMincho"="IPAPMincho"\r\n'
    printf '"MS UI Gothic"="IPAPGothic"\r\n'
    printf '"Meiryo"="IPAPGothic"\r\n'
    printf '"Meiryo UI"="IPAPGothic"\r\n'
    printf '"Yu Gothic UI"="IPAPGothic"\r\n'
    printf '"Tahoma"="IPAPGothic"\r\n'
    printf '"MS Shell Dlg"="IPAPGothic"\r\n'
    printf '"MS Shell Dlg 2"="IPAPGothic"\r\n'
    printf '"MS Sans Serif"="IPAPGothic"\r\n'
    printf '"Segoe UI"="IPAPGothic"\r\n'
    printf '"System"="IPAPGothic"\r\n'
    printf '\r\n'
}

# Prepares PREFIX once: creates it, sets the font replacements and gives it
# Wine's Marlett; with a size, turns on the virtual desktop. Safe to run from
# several processes at once (the steps are serialised by a lock file).
prepare_wine_prefix() {
    local prefix="$1" desktop="${2:-}"
    export WINEPREFIX="$prefix"
    mkdir -p "$prefix"
    (
        flock 9
        if [ ! -d "$prefix/drive_c" ]; then
            "$WINE64" wineboot --init >/dev/null 2>&1 || true
        fi
        # Marker carries a version, so prefixes made by older scripts get the
        # current list too.
        if [ ! -f "$prefix/.lumaset-fonts-2" ]; then
            _lumaset_font_replacements | _lumaset_import_reg "$prefix/lumaset-fonts.reg" &&
                touch "$prefix/.lumaset-fonts-2"
        fi
        local fonts="$prefix/drive_c/windows/Fonts"
        if [ -f "$WINE_FONT_DIR/marlett.ttf" ] && [ -d "$fonts" ] && [ ! -f "$fonts/marlett.ttf" ]; then
            cp "$WINE_FONT_DIR/marlett.ttf" "$fonts/marlett.ttf"
        fi
        if [ -n "$desktop" ] && [ ! -f "$prefix/.lumaset-desktop-$desktop" ]; then
            {
                printf 'Windows Registry Editor Version 5.00\r\n\r\n'
                printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
                printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n\r\n' "$desktop"
            } | _lumaset_import_reg "$prefix/lumaset-desktop.reg" &&
                touch "$prefix/.lumaset-desktop-$desktop"
            # The desktop process reads its settings only when it starts:
            # let this session's wineserver end before the program runs.
            "$WINESERVER" -w 2>/dev/null
        fi
        true
    ) 9>"$prefix.lock"
}
