#!/bin/sh
# Runs one fuzz target for SECONDS from SEEDS and prints one summary line:
# executions, coverage, findings.
#
#   run_fuzz.sh TARGET SECONDS SEEDS [CORPUS [FINDINGS]]
#
# Without CORPUS the run starts from the seeds alone in a fresh temporary
# folder (the quick test's regression gate); with it, the corpus grows there
# across runs (make fuzz). A finding (crash, leak, time-out, out of memory)
# is written to FINDINGS (or the temporary folder) and fails the run.
set -u
target=$1 seconds=$2 seeds=$3
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
corpus=${4:-$scratch/corpus}
findings=${5:-$scratch/findings}
mkdir -p "$corpus" "$findings"
name=$(basename "$target")
log=$scratch/log

ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1} \
  "$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
  -artifact_prefix="$findings/" "$corpus" "$seeds" >"$log" 2>&1
status=$?

executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
coverage=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -n 1)
found=$(find "$findings" -type f | wc -l)
echo "$name: ${executions:-?} executions in ${seconds} s, ${coverage:-no coverage line}, corpus $(ls "$corpus" | wc -l) inputs, $found findings"
if [ "$status" -ne 0 ] || [ "$found" -ne 0 ]; then
  tail -n 60 "$log"
  ls "$findings"
  exit 1
fi
