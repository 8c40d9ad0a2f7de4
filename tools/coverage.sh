#!/usr/bin/env bash
# Line and branch coverage of src/ by the unit tests (gcc's gcov, read by gcovr).
# Builds the native preset with coverage into build/coverage; the report is
# printed and written to build/coverage/coverage.txt.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
out=build/coverage
cmake --preset native -B "$out" -DCMAKE_CXX_FLAGS="--coverage" \
    -DCMAKE_EXE_LINKER_FLAGS="--coverage" >/dev/null
cmake --build "$out" -j2 >/dev/null
find "$out" -name '*.gcda' -delete
ctest --test-dir "$out" -j2 >/dev/null
gcovr --root . --filter 'src/' --object-directory "$out" \
    --exclude-directories '.*CompilerId.*' --exclude-throw-branches --exclude-unreachable-branches \
    --txt "$out/coverage.txt" --print-summary
sed -n '1,200p' "$out/coverage.txt"
