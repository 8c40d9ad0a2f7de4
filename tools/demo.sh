#!/usr/bin/env bash
# Runs the built servicepack.exe on the demo products under Wine, in a throwaway
# prefix (build/demo/prefix) on a private X display, and prints what a user
# would see: every box (answered with its default button), the logs written and
# whether the patch is now registered on each product. The last box of the
# installation is saved as build/demo/final-box.png.
# Usage: tools/demo.sh   (after: cmake --preset mingw && cmake --build build/mingw -j2)
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${SERVICEPACK_BUILD_DIR:-$ROOT/build/mingw}
OUT=$ROOT/build/demo
PYTHON=/usr/bin/python3            # Debian's, which has the libmsi binding
HARNESS=$ROOT/tests/e2e/harness.py
SERVICEPACK=$BUILD/servicepack.exe
EXTRACTED=$OUT/servicepack-extracted.msp

export WINEPREFIX=$OUT/prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="   # no Mono/Gecko prompts
unset DISPLAY WAYLAND_DISPLAY
XVFB_PID=

winpath() { printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"; }
rel() { realpath -m --relative-to="$ROOT" "$1"; }
heading() { printf '\n== %s\n' "$*"; }
say() { printf '   %s\n' "$*"; }

cleanup() {
    [[ -d $WINEPREFIX ]] && { wineserver -k 2>/dev/null || true; }
    [[ -n $XVFB_PID ]] && { kill "$XVFB_PID" 2>/dev/null || true; wait "$XVFB_PID" 2>/dev/null || true; }
}
trap cleanup EXIT

check_build() {
    local missing=0 f tool
    for f in "$SERVICEPACK" "$BUILD/productstate.exe" "$BUILD/patchstate.exe"; do
        [[ -f $f ]] || { echo "demo.sh: $(rel "$f") is missing; build first" >&2; missing=1; }
    done
    compgen -G "$BUILD/demo/*.msi" >/dev/null || { echo "demo.sh: no demo products in $(rel "$BUILD/demo")" >&2; missing=1; }
    for tool in wine Xvfb xdotool import msiinfo; do
        command -v "$tool" >/dev/null || { echo "demo.sh: $tool is not installed (tools/install-deps.sh)" >&2; missing=1; }
    done
    return $missing
}

start_screen() {
    local fifo=$OUT/.displayfd
    mkdir -p "$OUT"
    rm -f "$fifo"; mkfifo "$fifo"
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
    XVFB_PID=$!
    local number
    read -r number <"$fifo"
    rm -f "$fifo"
    export DISPLAY=:$number
}

prepare_prefix() {
    heading "A fresh Windows (Wine) with the demo products: $(rel "$WINEPREFIX")"
    [[ -d $WINEPREFIX ]] && { wineserver -k 2>/dev/null || true; rm -rf "$WINEPREFIX"; }
    wineboot -i >/dev/null 2>&1
    wineserver -w
    wine reg add 'HKCU\Software\Wine\Debug' /v RelayInclude /t REG_SZ /d user32.MessageBoxW /f >/dev/null
    # No window manager here: Wine draws the boxes' title bars itself, with its
    # own fonts, which this Wine does not find unless they are in the prefix.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null
    cp /usr/share/wine/fonts/{marlett,tahoma,tahomabd}.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    wineserver -w
    # One server for the whole demo: each later step starts in a fraction of a second.
    wineserver -p30
    wine cmd /c exit </dev/null >/dev/null 2>&1   # Wine's services, detached from any pipe
    local msi code
    for msi in "$BUILD"/demo/*.msi; do
        wine msiexec /i "$(winpath "$msi")" /qn
        code=$(product_code "$msi")
        say "installed $(basename "$msi"):"
        wine "$BUILD/productstate.exe" "$code" | tr -d '\r' | sed 's/^/      /'
    done
}

product_code() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductCode" {print $2}'; }
product_name() { msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' '$1 == "ProductName" {print $2}'; }

# The screen around one window, with a margin.
photograph() {
    local X Y WIDTH HEIGHT SCREEN WINDOW margin=16
    eval "$(xdotool getwindowgeometry --shell "$1")"
    X=$((X > margin ? X - margin : 0)); Y=$((Y > margin ? Y - margin : 0))
    import -window root -crop "$((WIDTH + 2 * margin))x$((HEIGHT + 2 * margin))+$X+$Y" +repage "$2"
}

# Runs one Windows program with a relay trace of MessageBoxW. Each box it shows
# is photographed (build/demo/NAME-N.png) and answered with Enter, as a user
# accepting the default button would; then the exit code and every box
# (title, icon, buttons, text, answer) are printed. LAST_SHOT names the last photo.
run_on_screen() {
    local name=$1; shift
    local trace=$OUT/trace-$name.txt
    WINEDEBUG=-all,+relay wine "$@" >/dev/null 2>"$trace" &
    local pid=$! count=0 window status=0 deadline=$((SECONDS + 120))
    LAST_SHOT=
    while kill -0 "$pid" 2>/dev/null; do
        if ((SECONDS > deadline)); then
            say "still running after 120 s; stopped"
            kill "$pid" 2>/dev/null || true
            break
        fi
        window=$(xdotool search --onlyvisible --name . 2>/dev/null | head -n 1 || true)
        if [[ -z $window ]]; then
            sleep 0.1
            continue
        fi
        count=$((count + 1))
        LAST_SHOT=$OUT/$name-$count.png
        sleep 0.3   # let the box finish painting
        photograph "$window" "$LAST_SHOT"
        xdotool windowfocus --sync "$window" key Return
        for _ in {1..100}; do   # gone within 10 s, or it is found and answered again
            xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$window" || break
            sleep 0.1
        done
    done
    wait "$pid" || status=$?
    say "exit code $status"
    "$PYTHON" "$HARNESS" boxes "$trace" | sed 's/^/   /'
}

show_extract() {
    rm -f "$EXTRACTED"
    heading "servicepack.exe /e $(rel "$EXTRACTED")"
    run_on_screen extract "$SERVICEPACK" /e "$(winpath "$EXTRACTED")"
    if [[ -f $EXTRACTED ]]; then
        local head
        head=$(head -c 8 "$EXTRACTED" | od -An -tx1 | tr a-f A-F | xargs)
        say "wrote $(rel "$EXTRACTED"): $(stat -c %s "$EXTRACTED") bytes, first bytes $head"
    else
        say "no file was written"
    fi
}

show_product_list() {
    heading "servicepack.exe /i"
    run_on_screen list "$SERVICEPACK" /i
}

temp_dir() {
    local dir
    for dir in "$WINEPREFIX"/drive_c/users/*/Temp; do
        [[ $dir == */Public/* ]] || { printf '%s' "$dir"; return; }
    done
}

show_install() {
    local temp before after file msi code state
    temp=$(temp_dir)
    before=$(ls -A "$temp")
    heading "servicepack.exe   (no arguments: install the service pack)"
    run_on_screen install "$SERVICEPACK"
    if [[ -n $LAST_SHOT ]]; then
        cp "$LAST_SHOT" "$OUT/final-box.png"
        say "screenshot of the last box: $(rel "$OUT/final-box.png")"
    fi

    heading "Logs written to the temp directory ($(rel "$temp"))"
    after=$(ls -A "$temp")
    local logs=0 leftovers=0
    while IFS= read -r file; do
        [[ -z $file ]] && continue
        if grep -qxF -- "$file" <<<"$before"; then continue; fi
        if [[ $file == *.log ]]; then
            logs=$((logs + 1))
            say "$file: $(stat -c %s "$temp/$file") bytes"
        else
            leftovers=$((leftovers + 1))
            say "$file: $(stat -c %s "$temp/$file") bytes (LEFT BEHIND: not a log)"
        fi
    done <<<"$after"
    ((logs)) || say "(no log)"
    ((leftovers)) || say "(the temporary copy of the patch has been removed)"

    local patch
    patch=$(msiinfo suminfo "$EXTRACTED" | sed -n 's/^Revision number (UUID): \({[^}]*}\).*/\1/p')
    heading "Patch $patch on each demo product"
    for msi in "$BUILD"/demo/*.msi; do
        code=$(product_code "$msi")
        state=$(wine "$BUILD/patchstate.exe" "$patch" "$code" | tr -d '\r')
        case $state in
            0) state="registered" ;;
            1647) state="NOT registered" ;;
            *) state="unknown (MsiGetPatchInfoExW returned $state)" ;;
        esac
        say "$(product_name "$msi") $code: $state"
    done
}

main() {
    check_build
    start_screen
    prepare_prefix
    show_extract
    show_product_list
    show_install
    heading "Done. Relay traces and screenshots: $(rel "$OUT")/"
}

main "$@"
