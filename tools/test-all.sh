#!/usr/bin/env bash
# Every test: unit tests on Linux (ASan + UBSan), then the Windows executable
# end to end under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake --preset native >/dev/null
cmake --build --preset native
ctest --preset native

cmake --preset mingw >/dev/null
cmake --build --preset mingw
ctest --preset mingw
