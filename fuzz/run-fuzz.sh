#!/usr/bin/env bash
# Runs every fuzz target for a bounded time, as many at once as there are cores, and fails when
# any of them finds a crash, a leak, a sanitizer report or a broken check.
#   bash fuzz/run-fuzz.sh BUILD_DIR SECONDS_PER_TARGET [TARGET...]
# Each target grows its own corpus in BUILD_DIR/fuzz/corpus/<target> (kept between runs, so long
# runs build on short ones), starting from the seeds in tests/data/fuzz/<target>. Findings go to
# BUILD_DIR/fuzz/findings/<target>/; every run's executions are added to
# BUILD_DIR/fuzz/executions.tsv, whose totals are printed at the end.
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:?usage: run-fuzz.sh BUILD_DIR SECONDS [TARGET...]}
seconds=${2:?usage: run-fuzz.sh BUILD_DIR SECONDS [TARGET...]}
shift 2
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    for t in "$build"/fuzz/fuzz_*; do
        [ -x "$t" ] && [ -f "$t" ] && targets+=("$(basename "$t")")
    done
fi
if [ ${#targets[@]} -eq 0 ]; then
    echo "run-fuzz: no fuzz targets in $build/fuzz" >&2
    exit 1
fi
jobs=${FUZZ_JOBS:-$(nproc)}
work=$build/fuzz
tally=$work/executions.tsv

# A picture of a few dozen bytes may decode to tens of megapixels (a GIF that declares 236 x 56851
# takes half a second natively): legitimate work that the sanitizers make many times slower.
timeout_seconds() {
    case $1 in
    fuzz_picture_loader) echo 60 ;;
    *) echo 10 ;;
    esac
}

# Inputs larger than a real file of each kind find nothing new and slow every run down.
max_len() {
    case $1 in
    fuzz_template_file) echo 4096 ;;
    fuzz_picture_loader) echo 65536 ;;
    *) echo 8192 ;;
    esac
}

# A small quarantine and short allocation stacks keep the runs fast; rerun a finding with the
# defaults for the full stacks.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:quarantine_size_mb=16:malloc_context_size=8}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# Pictures and Qt must not look for a display, and the image readers' complaints about broken
# files would only fill the logs.
export QT_QPA_PLATFORM=offscreen
export QT_LOGGING_RULES=${QT_LOGGING_RULES:-qt.gui.imageio*=false}

run_one() {
    local t=$1
    local corpus=$work/corpus/$t findings=$work/findings/$t log=$work/logs/$t.log
    mkdir -p "$corpus" "$findings" "$work/logs"
    local seeds=tests/data/fuzz/$t
    [ -d "$seeds" ] || seeds=
    "$work/$t" -max_total_time="$seconds" -timeout="$(timeout_seconds "$t")" -rss_limit_mb=2048 \
        -max_len="$(max_len "$t")" -print_final_stats=1 -artifact_prefix="$findings/" \
        "$corpus" $seeds >"$log" 2>&1 &
    local pid=$!
    wait $pid
    local rc=$?
    # A target that crashed or timed out leaves its scratch folder (fuzz/fuzz_support.h).
    rm -rf "/dev/shm/quorvel-fuzz-$pid" "${TMPDIR:-/tmp}/quorvel-fuzz-$pid"
    local execs
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    [ -n "$execs" ] || execs=$(grep -o '^#[0-9]*' "$log" | tail -n 1 | tr -d '#')
    printf '%s\t%s\t%s\t%s\t%s\n' "$(date -u +%FT%TZ)" "$t" "$seconds" "${execs:-0}" "$rc" >>"$tally"
    if [ $rc -ne 0 ]; then
        echo "FAIL $t (exit $rc, ${execs:-0} runs); the end of $log:"
        tail -n 40 "$log"
        echo "The input that failed is in $findings/"
        return 1
    fi
    echo "ok   $t: ${execs:-0} runs in ${seconds}s, corpus $(ls "$corpus" | wc -l) inputs"
}

failed=0
pids=()
for t in "${targets[@]}"; do
    if [ ! -x "$work/$t" ]; then
        echo "run-fuzz: $work/$t is not built" >&2
        failed=1
        continue
    fi
    run_one "$t" &
    pids+=($!)
    if [ ${#pids[@]} -ge "$jobs" ]; then
        wait "${pids[0]}" || failed=1
        pids=("${pids[@]:1}")
    fi
done
for p in "${pids[@]}"; do
    wait "$p" || failed=1
done

echo "Executions so far (all runs in $tally):"
awk -F'\t' '{ n[$2] += $4 } END { for (t in n) printf "  %-22s %12d\n", t, n[t] }' "$tally" | sort
if [ $failed -ne 0 ]; then
    echo "fuzz: FAILED"
    exit 1
fi
echo "fuzz: ok"
