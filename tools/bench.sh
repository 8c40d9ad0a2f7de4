#!/usr/bin/env bash
# The figures side by side, on this machine, in one run:
#  (a) `servicepack.exe /e` of a generated 68,758,528-byte payload against
#      `wine cmd /c copy` of the same file, median of RUNS (5);
#  (b) peak resident memory of that extraction against the payload;
#  (c) the executable's size over its payload;
#  (d) a quiet install of the demo patch on the demo products against
#      `wine msiexec /p` of the same patch, each from the same starting prefix
#      (a fresh hard-linked copy per run), median of INSTALL_RUNS (3);
#  (e) the same on 1, 8 and 32 (SCALE_COUNTS) installed targets of one generated
#      patch, the two alternating, median of INSTALL_RUNS each, and the cost of
#      each further product.
# ROWS chooses what runs: "abcde" (all, the default), "de" the installs, "e" the scale.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
RUNS=${RUNS:-5}
INSTALL_RUNS=${INSTALL_RUNS:-3}
ROWS=${ROWS:-abcde}
SCALE_COUNTS=${SCALE_COUNTS:-1 8 32}
SIZE=68758528
bench=$PWD/build/bench
mkdir -p "$bench/work"
payload=$bench/payload.msp
load() { cut -d' ' -f1-3 /proc/loadavg; }
echo "machine: $(nproc) cores, $(awk '/MemTotal/ {printf "%.0f GiB", $2/1048576}' /proc/meminfo), $(wine --version), $(date -u '+%F %H:%M') UTC, load $(load)"

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2) ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN{printf "%.2f", a/b}'; }

if [[ $ROWS == *[abc]* ]]; then
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

echo "(a) /e of $SIZE bytes (median of $RUNS): $e_med s  [$(echo $(echo "$extract" | awk '{print $1}'))]"
echo "    wine cmd /c copy (median of $RUNS):       $c_med s  [$(echo $(echo "$copy" | awk '{print $1}'))]"
echo "    ratio: $(ratio "$e_med" "$c_med")x  (goal <= 0.7x)"
echo "(b) peak resident memory of /e: ${rss} KiB = payload + $(( rss - SIZE / 1024 )) KiB  (goal <= payload + 8192 KiB)"
echo "(c) executable over payload: $(( exe_size - SIZE )) bytes = $(( (exe_size - SIZE) / 1024 )) KiB  (goal <= 400 KiB)"
echo "resource object compile: $(awk -v a="$rc_start" -v b="$rc_end" 'BEGIN{printf "%.2f", b-a}') s"
fi

[[ $ROWS == *[de]* ]] || exit 0
# The demo build's own executable and patch, and its patch-state checker.
cmake --preset mingw >/dev/null
cmake --build --preset mingw >/dev/null
demo=$PWD/build/mingw
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
patch_code=$(/usr/bin/python3 -c 'import sys; sys.path.insert(0, "tests/e2e"); import harness; print(harness.DEMO_PATCH_CODE)')
win_path() { echo "Z:$(echo "$1" | tr / '\\')"; }

# A new prefix at $1 with the packages $2... installed.
make_base() {
    local base=$1 msi
    shift
    rm -rf "$base"
    WINEPREFIX=$base wineboot -i >/dev/null 2>&1
    for msi in "$@"; do
        WINEPREFIX=$base wine msiexec /i "$(win_path "$msi")" /qn
    done
    WINEPREFIX=$base wineserver -w
}

# The distinct states of the patch on the products $2 (one string) in the prefix $1.
patch_states() {
    # shellcheck disable=SC2086  # one argument per product code
    WINEPREFIX=$1 wine "$demo/patchstate.exe" "$patch_code" $2 | tr -d '\r' | sort -u
}

# One timed run on a fresh copy of the prefix $1, whose products $2 (one string)
# lack the patch before and have it after; prints seconds. Binaries are
# hard-linked, everything Wine may rewrite (registry, installer cache) copied.
timed_install() {
    local base=$1 codes=$2 copy=$bench/install-run state
    shift 2
    rm -rf "$copy"
    cp -al "$base" "$copy"
    find "$copy" -type f ! -iname '*.dll' ! -iname '*.exe' ! -iname '*.drv' ! -iname '*.sys' \
        ! -iname '*.nls' ! -iname '*.ttf' \
        -exec sh -c 'for f; do cp --preserve=all "$f" "$f.x" && mv "$f.x" "$f"; done' _ {} +
    WINEPREFIX=$copy wineserver -p >/dev/null 2>&1
    state=$(patch_states "$copy" "$codes")
    [ "$state" = 1647 ] || { echo "patch registered before $*: $state" >&2; exit 1; }
    sync  # the copy's writes are not left to be flushed while the clock runs
    WINEPREFIX=$copy /usr/bin/time -f "%e" -o "$bench/t.txt" "$@" >/dev/null 2>&1
    state=$(patch_states "$copy" "$codes")
    [ "$state" = 0 ] || { echo "patch not registered on every product after $*: $state" >&2; exit 1; }
    WINEPREFIX=$copy wineserver -k || true
    cat "$bench/t.txt"
}

if [[ $ROWS == *d* ]]; then
    base=$bench/install-base
    if [ ! -f "$base/.ready" ]; then
        make_base "$base" "$demo"/demo/plotrix.msi "$demo"/demo/modelara.msi
        touch "$base/.ready"
    fi
    codes=$(/usr/bin/python3 -c 'import sys; sys.path.insert(0, "tests/e2e"); import harness; print(" ".join(p.code for p in harness.demo_products()))')
    patch_win=$(win_path "$demo/demo/demo.msp")
    ours=$(for _ in $(seq "$INSTALL_RUNS"); do timed_install "$base" "$codes" wine "$demo/servicepack.exe" /q; done)
    theirs=$(for _ in $(seq "$INSTALL_RUNS"); do timed_install "$base" "$codes" wine msiexec /p "$patch_win" /qn; done)
    i_med=$(echo "$ours" | median)
    m_med=$(echo "$theirs" | median)
    echo "(d) quiet install (median of $INSTALL_RUNS): $i_med s  [$(echo $ours)]"
    echo "    wine msiexec /p (median of $INSTALL_RUNS): $m_med s  [$(echo $theirs)]"
    echo "    ratio: $(ratio "$i_med" "$m_med")x  (goal <= 1.0x), load $(load)"
fi

[[ $ROWS == *e* ]] || exit 0
# (e) Generated products, each its own code and folder, and a patch whose template
# lists the two demo products (not installed here) and all of them.
scale=$bench/scale
counts=($SCALE_COUNTS)
most=${counts[-1]}
rm -rf "$scale/products"
mkdir -p "$scale/products"
/usr/bin/python3 - "$scale/products" "$most" <<'PY'
import sys, uuid
folder, count = sys.argv[1], int(sys.argv[2])
space = uuid.UUID("6A0C1D52-8E43-4B7F-9D21-3F5E7A9C0B14")
def guid(name):
    return "{" + str(uuid.uuid5(space, name)).upper() + "}"
for n in range(1, count + 1):
    name = f"target{n:02}"
    with open(f"{folder}/{name}.txt", "w") as f:
        f.write(f"Scale target {n}\n")
    with open(f"{folder}/{name}.wxs", "w") as f:
        f.write(f"""<?xml version="1.0" encoding="utf-8"?>
<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">
  <Product Id="{guid(name)}" UpgradeCode="{guid(name + ' upgrade')}"
           Name="Corvanta Scale Target {n:02}" Manufacturer="Corvanta" Version="13.3.0.1"
           Language="1033" Codepage="1252">
    <Package InstallerVersion="500" Compressed="yes" InstallScope="perMachine"
             Languages="1033" SummaryCodepage="1252" Manufacturer="Corvanta"/>
    <Property Id="LOCALEID" Value="1033"/>
    <Media Id="1" Cabinet="{name}.cab" EmbedCab="yes"/>
    <Directory Id="TARGETDIR" Name="SourceDir">
      <Directory Id="ProgramFiles64Folder">
        <Directory Id="INSTALLDIR" Name="Scale Target {n:02}">
          <Component Id="Readme" Guid="{guid(name + ' readme')}" Win64="yes">
            <File Id="ReadmeTxt" Name="{name}.txt" Source="{name}.txt" KeyPath="yes"/>
          </Component>
        </Directory>
      </Directory>
    </Directory>
    <Feature Id="Complete" Level="1"><ComponentRef Id="Readme"/></Feature>
  </Product>
</Wix>
""")
PY
wxs=()
msis=()
for n in $(seq "$most"); do
    name=$(printf 'target%02d' "$n")
    wxs+=("$scale/products/$name.wxs")
    msis+=("$scale/products/$name.msi")
    (cd "$scale/products" && wixl -a x64 -o "$name.msi" "$name.wxs")
done
/usr/bin/python3 demo/make_patch.py --out "$scale/scale.msp" --codes $((most + 2)) --extra "${wxs[@]}"
cmake --preset mingw -B "$scale/build" -DPATCH_PACKAGE="$scale/scale.msp" >/dev/null
cmake --build "$scale/build" --target servicepack -j2 >/dev/null
scale_codes=$(sed -n 's/.*<Product Id="\([^"]*\)".*/\1/p' "${wxs[@]}" | tr '\n' ' ')

# One prefix per count, each from the one before with the next products added;
# rebuilt when the products listed in it are not those generated now.
previous=""
installed=0
for count in "${counts[@]}"; do
    base=$scale/base-$count
    want=$(echo "$scale_codes" | cut -d' ' -f1-"$count")
    if [ "$(cat "$base/.ready" 2>/dev/null)" != "$want" ]; then
        if [ -n "$previous" ]; then
            rm -rf "$base"
            cp -a "$previous" "$base"
            rm -f "$base/.ready"
            for msi in "${msis[@]:installed:count-installed}"; do
                WINEPREFIX=$base wine msiexec /i "$(win_path "$msi")" /qn
            done
            WINEPREFIX=$base wineserver -w
        else
            make_base "$base" "${msis[@]:0:count}"
        fi
        echo "$want" >"$base/.ready"
    fi
    previous=$base
    installed=$count
done

patch_win=$(win_path "$scale/scale.msp")
declare -A ours_at theirs_at
for count in "${counts[@]}"; do
    base=$scale/base-$count
    codes=$(cat "$base/.ready")
    ours_at[$count]=""
    theirs_at[$count]=""
    for _ in $(seq "$INSTALL_RUNS"); do
        ours_at[$count]+="$(timed_install "$base" "$codes" wine "$scale/build/servicepack.exe" /q) "
        theirs_at[$count]+="$(timed_install "$base" "$codes" wine msiexec /p "$patch_win" /qn) "
    done
done
first=${counts[0]}
echo "(e) installed targets: quiet install vs wine msiexec /p (median of $INSTALL_RUNS, alternating)"
for count in "${counts[@]}"; do
    o=$(echo "${ours_at[$count]}" | tr ' ' '\n' | grep . | median)
    t=$(echo "${theirs_at[$count]}" | tr ' ' '\n' | grep . | median)
    printf '    %3d: %6.2f s vs %6.2f s: %sx  [%s| %s]\n' "$count" "$o" "$t" "$(ratio "$o" "$t")" \
        "${ours_at[$count]}" "${theirs_at[$count]}"
    [ "$count" = "$first" ] && { o_first=$o; t_first=$t; }
done
per_product() { awk -v a="$1" -v b="$2" -v n="$3" 'BEGIN{printf "%.0f", (b - a) * 1000 / n}'; }
extra=$((most - first))
echo "    each further product: $(per_product "$o_first" "$o" "$extra") ms vs" \
    "$(per_product "$t_first" "$t" "$extra") ms  (goal at $most: <= 1.2x), load $(load)"
