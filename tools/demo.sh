#!/usr/bin/env bash
# Runs the built servicepack.exe on the demo products under Wine, in a throwaway
# prefix (build/demo/prefix), and prints what a user would see.
# Usage: tools/demo.sh   (after: cmake --preset mingw && cmake --build build/mingw -j2)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${SERVICEPACK_BUILD_DIR:-$ROOT/build/mingw}
OUT=$ROOT/build/demo
PYTHON=/usr/bin/python3            # Debian's, which has the libmsi binding
HARNESS=$ROOT/tests/e2e/harness.py
SERVICEPACK=$BUILD/servicepack.exe

export WINEPREFIX=$OUT/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="   # no Mono/Gecko prompts
unset DISPLAY WAYLAND_DISPLAY                # boxes return at once; the trace shows them

winpath() { printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"; }
rel() { realpath -m --relative-to="$ROOT" "$1"; }
heading() { printf '\n== %s\n' "$*"; }
say() { printf '   %s\n' "$*"; }

# Runs one Windows program with a relay trace of MessageBoxW, then prints its
# exit code and every box it showed (title, icon, buttons, text).
run_traced() {
    local trace=$OUT/trace-$1.txt; shift
    local status=0
    WINEDEBUG=-all,+relay wine "$@" >/dev/null 2>"$trace" || status=$?
    wineserver -w
    say "exit code $status"
    "$PYTHON" "$HARNESS" boxes "$trace" | sed 's/^/   /'
}

describe_file() {
    local size head
    size=$(stat -c %s "$1")
    head=$(head -c 8 "$1" | od -An -tx1 | tr a-f A-F | xargs)
    say "wrote $(rel "$1"): $size bytes, first bytes $head"
}

check_build() {
    local missing=0
    for f in "$SERVICEPACK" "$BUILD/demo/demo.msp" "$BUILD/productstate.exe"; do
        [[ -f $f ]] || { echo "demo.sh: $(rel "$f") is missing; build first" >&2; missing=1; }
    done
    compgen -G "$BUILD/demo/*.msi" >/dev/null || { echo "demo.sh: no demo products in $(rel "$BUILD/demo")" >&2; missing=1; }
    return $missing
}

prepare_prefix() {
    heading "A fresh Windows (Wine) with the demo products: $(rel "$WINEPREFIX")"
    [[ -d $WINEPREFIX ]] && { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
    mkdir -p "$OUT"
    wineboot -i >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d user32.MessageBoxW /f >/dev/null
    local msi code
    for msi in "$BUILD"/demo/*.msi; do
        wine msiexec /i "$(winpath "$msi")" /qn
        wineserver -w
        code=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" {print $2}')
        say "installed $(basename "$msi"):"
        wine "$BUILD/productstate.exe" "$code" | tr -d '\r' | sed 's/^/      /'
    done
}

show_extract() {
    local target=$OUT/servicepack-extracted.msp
    rm -f "$target"
    heading "servicepack.exe /e $(rel "$target")"
    run_traced extract "$SERVICEPACK" /e "$(winpath "$target")"
    if [[ -f $target ]]; then
        describe_file "$target"
        if cmp -s "$target" "$BUILD/demo/demo.msp"; then
            say "identical to the embedded patch $(rel "$BUILD/demo/demo.msp")"
        else
            say "DIFFERS from the embedded patch $(rel "$BUILD/demo/demo.msp")"
        fi
    else
        say "no file was written"
    fi
}

show_product_list() {
    heading "servicepack.exe /i"
    run_traced list "$SERVICEPACK" /i
}

main() {
    check_build
    prepare_prefix
    show_extract
    show_product_list
    wineserver -k 2>/dev/null || true
    heading "Done. Relay traces: $(rel "$OUT")/trace-*.txt"
}

main "$@"
