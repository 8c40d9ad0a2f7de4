#!/usr/bin/env bash
# Every test: unit tests on Linux (ASan + UBSan), the fuzz targets, then the
# Windows executable end to end under Wine (with the release-build checks).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

# Each fuzz target for a bounded time from its seeds; prints the executions reached.
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
ctest --preset fuzz --verbose

cmake --preset mingw >/dev/null
cmake --build --preset mingw
ctest --preset mingw
