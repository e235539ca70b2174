# Shared by the scripts: a Wine prefix ready for Lumaset.
# Usage: . scripts/lib/wine-prefix.sh; prepare_wine_prefix PREFIX [desktop]

WINE64=/usr/lib/wine/wine64
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG="${WINEDEBUG:--all}"

# Writes the Japanese font replacements (and optionally a virtual desktop)
# once per prefix; regedit reads UTF-16 .reg files, which keeps the names intact.
prepare_wine_prefix() {
    local prefix="$1" desktop="${2:-}"
    export WINEPREFIX="$prefix"
    mkdir -p "$prefix"
    (
        flock 9
        if [ ! -f "$prefix/.lumaset-ready" ]; then
            "$WINE64" wineboot --init >/dev/null 2>&1 || true
            local reg="$prefix/lumaset-fonts.reg"
            {
                printf 'Windows Registry Editor Version 5.00\r\n\r\n'
                printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
                printf '"ＭＳ ゴシック"="IPAGothic"\r\n'
                printf '"ＭＳ Ｐゴシック"="IPAPGothic"\r\n'
                printf '"MS Gothic"="IPAGothic"\r\n'
                printf '"MS PGothic"="IPAPGothic"\r\n'
                printf '"MS UI Gothic"="IPAPGothic"\r\n'
                printf '"Tahoma"="IPAPGothic"\r\n'
                printf '"MS Shell Dlg"="IPAPGothic"\r\n'
                printf '"MS Shell Dlg 2"="IPAPGothic"\r\n'
                printf '"MS Sans Serif"="IPAPGothic"\r\n'
                printf '"Segoe UI"="IPAPGothic"\r\n'
                printf '\r\n'
            } | iconv -f UTF-8 -t UTF-16 > "$reg"
            "$WINE64" regedit /S "$reg" >/dev/null 2>&1
            "$WINE64" wineserver -w 2>/dev/null || /usr/lib/wine/wineserver -w 2>/dev/null || true
            touch "$prefix/.lumaset-ready"
        fi
        if [ -n "$desktop" ] && [ ! -f "$prefix/.lumaset-desktop" ]; then
            local reg="$prefix/lumaset-desktop.reg"
            {
                printf 'Windows Registry Editor Version 5.00\r\n\r\n'
                printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer]\r\n"Desktop"="Default"\r\n\r\n'
                printf '[HKEY_CURRENT_USER\\Software\\Wine\\Explorer\\Desktops]\r\n"Default"="%s"\r\n\r\n' "$desktop"
            } | iconv -f UTF-8 -t UTF-16 > "$reg"
            "$WINE64" regedit /S "$reg" >/dev/null 2>&1
            touch "$prefix/.lumaset-desktop"
        fi
    ) 9>"$prefix.lock"
}
