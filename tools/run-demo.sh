#!/usr/bin/env bash
# Builds the executable around the demo patch and runs it under Wine on a
# throwaway prefix with the demo products, showing what the user sees.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh

cmake --preset mingw >/dev/null
cmake --build --preset mingw
tools/demo.sh
