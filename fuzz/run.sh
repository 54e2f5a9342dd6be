#!/usr/bin/env bash
# Runs the fuzz targets of build/fuzz. `fuzz/run.sh replay` runs each input of fuzz/corpus/ once
# through its target; `fuzz/run.sh SECONDS` fuzzes each target for SECONDS from that corpus.
# Each target's dictionary (fuzz/TARGET.dict) holds the names its parser knows. Prints per target its executions, coverage and findings, and fails on any finding; a finding's
# input stays in build/fuzz/findings/, what the fuzzer learned in build/fuzz/corpus/.
set -uo pipefail
cd "$(dirname "$0")/.."
targets=(config_sys system_ini command_line log_path manifest)
mode=${1:-60}
mkdir -p build/fuzz/findings build/fuzz/logs
failed=0
for t in "${targets[@]}"; do
    bin=build/fuzz/fuzz/fuzz_$t
    log=build/fuzz/logs/$t.log
    before=$(ls build/fuzz/findings | grep -c "^$t-")
    if [ "$mode" = replay ]; then
        "$bin" -artifact_prefix=build/fuzz/findings/$t- fuzz/corpus/$t/* >"$log" 2>&1
        status=$?
        runs=$(ls fuzz/corpus/$t | wc -l)
        summary="$runs inputs replayed"
    else
        mkdir -p build/fuzz/corpus/$t
        start=$(date +%s)
        "$bin" -max_total_time="$mode" -print_final_stats=1 -artifact_prefix=build/fuzz/findings/$t- -dict=fuzz/$t.dict \
            build/fuzz/corpus/$t fuzz/corpus/$t >"$log" 2>&1
        status=$?
        runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
        cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
        ft=$(grep -o 'ft: [0-9]*' "$log" | tail -1 | cut -d' ' -f2)
        # A finding stops the target early.
        summary="${runs:-?} executions in $(( $(date +%s) - start )) s, coverage ${cov:-?} edges (${ft:-?} features)"
    fi
    findings=$(( $(ls build/fuzz/findings | grep -c "^$t-") - before ))
    if [ "$status" -ne 0 ] || [ "$findings" -ne 0 ]; then
        [ "$findings" -eq 0 ] && findings=1  # a failure that left no input is a finding all the same
        failed=1
    fi
    printf 'fuzz %-12s %s, %d findings\n' "$t:" "$summary" "$findings"
    if [ "$status" -ne 0 ]; then
        grep -E '^(property broken|==[0-9]+==ERROR|SUMMARY|Running:)|runtime error' "$log" | tail -4 | sed 's/^/    /'
        ls -t build/fuzz/findings/$t-* 2>/dev/null | head -1 | sed 's/^/    input: /'
    fi
done
exit $failed
