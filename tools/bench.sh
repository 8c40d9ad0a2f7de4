#!/usr/bin/env bash
# The figures side by side, on this machine, in one run:
#  (a) `servicepack.exe /e` of a generated 68,758,528-byte payload against
#      `wine cmd /c copy` of the same file, median of RUNS (5);
#  (b) peak resident memory of that extraction against the payload;
#  (c) the executable's size over its payload;
#  (d) a quiet install of the demo patch on the demo products against
#      `wine msiexec /p` of the same patch, each from the same starting prefix
#      (a fresh hard-linked copy per run), median of INSTALL_RUNS (3).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
RUNS=${RUNS:-5}
INSTALL_RUNS=${INSTALL_RUNS:-3}
SIZE=68758528
bench=$PWD/build/bench
mkdir -p "$bench/work"
payload=$bench/payload.msp

python3 - "$payload" "$SIZE" <<'PY'
import random, sys
path, size = sys.argv[1], int(sys.argv[2])
rng = random.Random(1)
with open(path, "wb") as f:
    f.write(bytes.fromhex("D0CF11E0A1B11AE1"))
    left = size - 8
    while left:
        n = min(left, 1 << 20)
        f.write(rng.randbytes(n))
        left -= n
PY

cmake --preset mingw -B "$bench/build" -DPATCH_PACKAGE="$payload" >/dev/null
cmake --build "$bench/build" --target servicepack -j2 >/dev/null
touch "$payload"
rc_start=$(date +%s.%N)
cmake --build "$bench/build" --target servicepack_core >/dev/null
make -C "$bench/build" servicepack_resources.res >/dev/null
rc_end=$(date +%s.%N)
cmake --build "$bench/build" --target servicepack >/dev/null
exe=$bench/build/servicepack.exe

export WINEPREFIX=$bench/prefix WINEDEBUG=-all
[ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1; wineserver -w; }
# A persistent server spares every run the server start-up.
wineserver -p >/dev/null 2>&1 &
sleep 1
cp "$payload" "$bench/work/source.msp"
cd "$bench/work"

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
run_times() {  # command... -> one "seconds kilobytes" line per run
    for _ in $(seq "$RUNS"); do
        rm -f out.msp
        sync
        # wine returns when the Windows process has exited; the server stays up.
        /usr/bin/time -f "%e %M" -o t.txt "$@" >/dev/null 2>&1
        cat t.txt
    done
}
# Warm both paths once so neither pays for first-use costs.
wine "$exe" /e out.msp; wine cmd /c copy /y source.msp out.msp >/dev/null

extract=$(run_times wine "$exe" /e out.msp)
cmp -s out.msp "$payload" || { echo "extracted file differs from the payload" >&2; exit 1; }
copy=$(run_times wine cmd /c copy /y source.msp out.msp)

e_med=$(echo "$extract" | awk '{print $1}' | median)
c_med=$(echo "$copy" | awk '{print $1}' | median)
rss=$(echo "$extract" | awk '{print $2}' | median)
exe_size=$(stat -c %s "$exe")
wineserver -k || true
cd - >/dev/null

# (d) The demo build's own executable and patch, on a prefix with both demo products.
cmake --preset mingw >/dev/null
cmake --build --preset mingw >/dev/null
demo=$PWD/build/mingw
base=$bench/install-base
export WINEPREFIX=$base WINEDLLOVERRIDES="mscoree=;mshtml="
if [ ! -f "$base/.ready" ]; then
    rm -rf "$base"
    wineboot -i >/dev/null 2>&1
    for msi in "$demo"/demo/plotrix.msi "$demo"/demo/modelara.msi; do
        wine msiexec /i "Z:$(echo "$msi" | tr / '\\')" /qn
    done
    wineserver -w
    touch "$base/.ready"
fi
patch_win="Z:$(echo "$demo/demo/demo.msp" | tr / '\\')"
patch_code=$(/usr/bin/python3 -c 'import sys; sys.path.insert(0, "tests/e2e"); import harness; print(harness.DEMO_PATCH_CODE)')
codes=$(/usr/bin/python3 -c 'import sys; sys.path.insert(0, "tests/e2e"); import harness; print(" ".join(p.code for p in harness.demo_products()))')

# One timed install on a fresh copy of the base prefix; prints seconds. Binaries
# are hard-linked, everything Wine may rewrite (registry, installer cache) copied.
timed_install() {
    local copy=$bench/install-run
    rm -rf "$copy"
    cp -al "$base" "$copy"
    find "$copy" -type f ! -iname '*.dll' ! -iname '*.exe' ! -iname '*.drv' ! -iname '*.sys' \
        ! -iname '*.nls' ! -iname '*.ttf' -exec sh -c 'cp --preserve=all "$1" "$1.x" && mv "$1.x" "$1"' _ {} \;
    WINEPREFIX=$copy wineserver -p >/dev/null 2>&1
    WINEPREFIX=$copy wine cmd /c exit >/dev/null 2>&1
    WINEPREFIX=$copy /usr/bin/time -f "%e" -o "$bench/t.txt" "$@" >/dev/null 2>&1
    local code
    for code in $codes; do
        state=$(WINEPREFIX=$copy wine "$demo/patchstate.exe" "$patch_code" "$code" | tr -d '\r')
        [ "$state" = 0 ] || { echo "patch not registered on $code after: $*" >&2; exit 1; }
    done
    WINEPREFIX=$copy wineserver -k || true
    cat "$bench/t.txt"
}
ours=$(for _ in $(seq "$INSTALL_RUNS"); do timed_install wine "$demo/servicepack.exe" /q; done)
theirs=$(for _ in $(seq "$INSTALL_RUNS"); do timed_install wine msiexec /p "$patch_win" /qn; done)
i_med=$(echo "$ours" | median)
m_med=$(echo "$theirs" | median)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a/b}'; }
echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(wine --version), $(date -u +%F)"
echo "(a) /e of $SIZE bytes (median of $RUNS): $e_med s  [$(echo $(echo "$extract" | awk '{print $1}'))]"
echo "    wine cmd /c copy (median of $RUNS):       $c_med s  [$(echo $(echo "$copy" | awk '{print $1}'))]"
echo "    ratio: $(ratio "$e_med" "$c_med")x  (goal <= 0.7x)"
echo "(b) peak resident memory of /e: ${rss} KiB = payload + $(( rss - SIZE / 1024 )) KiB  (goal <= payload + 8192 KiB)"
echo "(c) executable over payload: $(( exe_size - SIZE )) bytes = $(( (exe_size - SIZE) / 1024 )) KiB  (goal <= 400 KiB)"
echo "(d) quiet install (median of $INSTALL_RUNS): $i_med s  [$(echo $ours)]"
echo "    wine msiexec /p (median of $INSTALL_RUNS): $m_med s  [$(echo $theirs)]"
echo "    ratio: $(ratio "$i_med" "$m_med")x  (goal <= 1.0x)"
echo "resource object compile: $(awk -v a="$rc_start" -v b="$rc_end" 'BEGIN{printf "%.2f", b-a}') s"
