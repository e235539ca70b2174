#!/usr/bin/env bash
# Runs one shard of the GUI tests in a virtual display and Wine prefix of its
# own, so shards running side by side share no display, clipboard, registry
# or wineserver.
# Usage: gui-shard.sh SHARD SHARDS PREFIX PROGRAM.exe [ARGS...]
set -uo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

# Inside the display: the prefix, then the tests.
if [ "${1:-}" = --inner ]; then
    shift
    prefix="$1"; shift
    . "$here/wine-prefix.sh"
    prepare_wine_prefix "$prefix"
    # Unmanaged windows don't wait for a window manager that Xvfb lacks. The
    # driver reads this when the program starts, so it goes in beforehand;
    # set by the program itself it would only help its next run.
    program="$(basename "$1")"
    if [ ! -f "$prefix/.lumaset-unmanaged-$program" ]; then
        {
            printf 'Windows Registry Editor Version 5.00\r\n\r\n'
            printf '[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\r\n"Managed"="N"\r\n\r\n' "$program"
        } | _lumaset_import_reg "$prefix/lumaset-unmanaged.reg" && touch "$prefix/.lumaset-unmanaged-$program"
    fi
    exec "$WINE64" "$@"
fi

shard="$1" shards="$2" prefix="$3"; shift 3
export GTEST_SHARD_INDEX="$shard" GTEST_TOTAL_SHARDS="$shards"

# xvfb-run -a can lose the race for a display number to another start at the
# same moment; that shows as its own error and is worth another try.
errors="$(mktemp)"
trap 'rm -f "$errors"' EXIT
for attempt in 1 2 3 4 5; do
    xvfb-run -a -n $((99 + 17 * shard + attempt)) -s "-screen 0 1280x1024x24" \
        "$here/gui-shard.sh" --inner "$prefix" "$@" 2> >(tee "$errors" >&2)
    status=$?
    wait
    grep -q 'Xvfb failed to start' "$errors" || exit "$status"
    sleep "$attempt"
done
exit "$status"
