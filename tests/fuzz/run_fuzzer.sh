#!/usr/bin/env bash
# Runs one fuzz target for a bounded time from its seed corpus; new inputs go
# to a scratch corpus so the repository's seeds stay as committed. Prints the
# number of executions; fails on any crash, leak or sanitizer report.
set -euo pipefail
fuzzer=$1 seeds=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus" "$work/artifacts"
status=0
"$fuzzer" -max_total_time="$seconds" -print_final_stats=1 -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$work/artifacts/" "$work/corpus" "$seeds" >"$work/log" 2>&1 || status=$?
runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log")
echo "$(basename "$fuzzer"): ${runs:-?} executions in $seconds s"
if [ "$status" -ne 0 ]; then
    tail -n 60 "$work/log"
    for crash in "$work"/artifacts/*; do
        [ -e "$crash" ] && echo "input: $(od -An -c "$crash" | head -n 8)"
    done
    exit "$status"
fi
