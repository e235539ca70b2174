#!/usr/bin/env bash
# Runs the bare tree view (the floor) and the editor's timed tree edits in
# one virtual display and one Wine prefix, and prints each editor figure
# over the floor for the same item work.
# Usage: bench/tree_ratios.sh [RUNS]   (default 3; needs build/windows built)
# GUI_TESTS names another gui_tests.exe in the same folder (an older build).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$root/build/windows"
gui="$build/tests/${GUI_TESTS:-gui_tests.exe}"
for program in "$build/bench_bare_tree.exe" "$gui"; do
    [ -f "$program" ] || { echo "missing $program: build the windows tree first" >&2; exit 1; }
done

# The floor runs before and after the editor's runs; the lower of its two
# medians counts, so a busy machine does not flatter the editor.
one_run() {
    cd "$build/tests"
    "$root/scripts/wine-exec" "$build/wineprefix" "$build/bench_bare_tree.exe"
    "$root/scripts/wine-exec" "$build/wineprefix" "$gui" \
        --gtest_also_run_disabled_tests \
        --gtest_filter='*EditTiming*LargestPaste*:*EditTiming*UndoAndRedo*:*DISABLED_LargestDrop*:*PaneBenchmark*'
    "$root/scripts/wine-exec" "$build/wineprefix" "$build/bench_bare_tree.exe"
}
# The display's own run calls back here.
if [ "${1:-}" = --one-run ]; then
    one_run
    exit
fi
runs="${1:-3}"

ratios() {
    awk '
    function best(list,   n, a, i, m) {
        n = split(list, a, " ")
        for (i = 1; i <= n; i++) if (i == 1 || a[i] + 0 < m + 0) m = a[i]
        return m
    }
    function med(list,   n, a, i, j, t) {
        n = split(list, a, " ")
        for (i = 1; i <= n; i++) for (j = i + 1; j <= n; j++) if (a[j] + 0 < a[i] + 0) { t = a[i]; a[i] = a[j]; a[j] = t }
        return a[int((n + 1) / 2)]
    }
    function num(s) { gsub(/[^0-9.]/, "", s); return s }
    function low(old, new) { return old == "" || new + 0 < old + 0 ? new : old }
    /^bare tree: insert 252/ { insert = low(insert, num($(NF - 1))) }
    /^bare tree: remove those/ { remove = low(remove, num($(NF - 1))) }
    /^bare tree: take out/ { move = low(move, num($(NF - 1))) }
    /^bare tree: the tree.s own selection/ { bareSelect = low(bareSelect, num($(NF - 1))) }
    /^paste of 252 records into a new document:/ { pastes = pastes " " num($(NF - 1)) }
    /^move of 250 records:/ { moves = moves " " num($6) " " num($9) }
    /^drop of a 250-record subtree:/ { drops = drops " " num($(NF - 1)) }
    /^paste of 252 records: undo/ { undos = undos " " num($6); redos = redos " " num($9) }
    /the tree.s own selection change .*median/ && !/^bare/ { match($0, /median [0-9.]+/); treeSelect = substr($0, RSTART + 7, RLENGTH - 7) }
    /^select \(apply, fill, flags, push\)/ { match($0, /median [0-9.]+/); select = substr($0, RSTART + 7, RLENGTH - 7) }
    END {
        row("paste of 252 records", med(pastes), best(pastes), "insert 252 items", insert)
        row("move of 250 records (up and down)", med(moves), best(moves), "subtree out and back", move)
        row("drop of a 250-record subtree", med(drops), best(drops), "subtree out and back", move)
        row("redo of the 252-record paste", med(redos), best(redos), "insert 252 items", insert)
        row("undo of that paste", med(undos), best(undos), "insert 252 items", insert)
        row("select (apply, fill, flags, push)", select, select, "the tree'"'"'s own selection change", treeSelect)
        printf "  (bare tree: remove 252 items %.1f ms, selection change %.2f ms)\n", remove, bareSelect
    }
    # The median as the ratio; the best editor figure over the floor beside
    # it, which interference from other work on the machine inflates least.
    function row(what, editor, fastest, floorWhat, floor) {
        if (floor + 0 > 0)
            printf "  %-36s %8.2f ms / %-36s %7.2f ms = %5.2fx  (best %5.2fx)\n", what, editor, floorWhat, floor,
                editor / floor, fastest / floor
        else printf "  %-36s: no figure\n", what
    }'
}

for run in $(seq 1 "$runs"); do
    log="$(mktemp)"
    xvfb-run -a -s "-screen 0 1280x1024x24" "$0" --one-run > "$log" 2>&1 || { cat "$log"; rm -f "$log"; exit 1; }
    echo "run $run:"
    ratios < "$log"
    if [ -n "${TREE_RATIOS_VERBOSE:-}" ]; then grep -E '^(bare tree|paste|move|drop|select|  )' "$log" || true; fi
    rm -f "$log"
done
