#!/usr/bin/env bash
# Extraction benchmark: builds the executable around a generated 68,758,528-byte
# payload and compares `servicepack.exe /e out` with `cmd /c copy` of the same
# file under one Wine server. Prints medians of RUNS runs, peak resident memory,
# executable overhead and the time to compile the resource object.
set -euo pipefail
cd "$(dirname "$0")/.."
RUNS=${RUNS:-7}
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
echo "payload bytes:            $SIZE"
echo "extract /e (median s):    $e_med   runs: $(echo $(echo "$extract" | awk '{print $1}'))"
echo "cmd copy   (median s):    $c_med   runs: $(echo $(echo "$copy" | awk '{print $1}'))"
echo "ratio extract/copy:       $(awk -v a="$e_med" -v b="$c_med" 'BEGIN{printf "%.2f", a/b}')  (target <= 0.85)"
echo "peak RSS of /e (median):  ${rss} KiB = payload + $(( rss - SIZE / 1024 )) KiB  (target <= payload + 10240 KiB)"
echo "exe overhead:             $(( exe_size - SIZE )) bytes  (target <= 524288)"
echo "resource object compile:  $(awk -v a="$rc_start" -v b="$rc_end" 'BEGIN{printf "%.2f", b-a}') s  (target < 15 s)"
wineserver -k || true
