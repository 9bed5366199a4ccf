#!/usr/bin/env bash
# Fuzzing for maintainers: builds the libFuzzer targets with clang in build-fuzz and runs each
# one for a while, keeping what it learns.
#   tests/fuzz/fuzz.sh [-t SECONDS] [--merge] [TARGET...]
# -t SECONDS  time per target (default 300); targets run one after another, at nice 19.
#             LUMO_FUZZ_JOBS sets the number of compile jobs (default: all cores).
# --merge     afterwards fold the new inputs that add coverage into the seed corpus in
#             tests/fuzz/corpus/TARGET (then review and commit them).
# New inputs are kept in build-fuzz/corpus/TARGET and reused by the next run; a crash stops its
# target and leaves the input in build-fuzz/crashes/TARGET/. Copy such a file into the seed
# corpus once the fault is fixed, so that every `./run.sh test` replays it.
set -euo pipefail
cd "$(dirname "$0")/../.."
ROOT=$(pwd)
BUILD=${LUMO_FUZZ_BUILD:-$ROOT/build-fuzz}
SECONDS_PER_TARGET=300
MERGE=0
TARGETS=()
while [ $# -gt 0 ]; do
    case $1 in
        -t) SECONDS_PER_TARGET=$2; shift 2 ;;
        --merge) MERGE=1; shift ;;
        -h|--help) sed -n '2,12p' "$0"; exit 0 ;;
        *) TARGETS+=("$1"); shift ;;
    esac
done

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
nice -n 19 cmake -G Ninja -S "$ROOT/tests/fuzz" -B "$BUILD" -DCMAKE_CXX_COMPILER=clang++ "${launcher[@]}" >/dev/null
nice -n 19 cmake --build "$BUILD" -j "${LUMO_FUZZ_JOBS:-$(nproc)}"

if [ ${#TARGETS[@]} -eq 0 ]; then
    mapfile -t TARGETS < <(cut -d: -f1 "$BUILD/targets.txt" | sed '/^$/d')
fi
export QT_QPA_PLATFORM=offscreen
export LSAN_OPTIONS="suppressions=$ROOT/tests/lsan.supp:print_suppressions=0"

status=0
printf '%-34s %12s %8s %8s %8s %s\n' target executions exec/s cov ft crashes >"$BUILD/fuzz-summary.txt"
for name in "${TARGETS[@]}"; do
    dict=$(sed -n "s/^$name://p" "$BUILD/targets.txt")
    work=$BUILD/corpus/$name
    crashes=$BUILD/crashes/$name
    log=$BUILD/logs/$name.log
    mkdir -p "$work" "$crashes" "$(dirname "$log")"
    options=(-max_total_time="$SECONDS_PER_TARGET" -timeout=10 -rss_limit_mb=2560 -print_final_stats=1
             -artifact_prefix="$crashes/")
    [ -n "$dict" ] && options+=(-dict="$dict")
    echo "== fuzz_$name for ${SECONDS_PER_TARGET}s"
    rc=0
    nice -n 19 "$BUILD/fuzz_$name" "${options[@]}" "$work" "$ROOT/tests/fuzz/corpus/$name" >"$log" 2>&1 || rc=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    ft=$(grep -o 'ft: [0-9]*' "$log" | tail -n 1 | cut -d' ' -f2)
    found=$(find "$crashes" -type f | wc -l)
    printf '%-34s %12s %8s %8s %8s %s\n' "$name" "${execs:-?}" "${speed:-?}" "${cov:-?}" "${ft:-?}" "$found" \
        | tee -a "$BUILD/fuzz-summary.txt"
    if [ $rc -ne 0 ] || [ "$found" -ne 0 ]; then
        status=1
        echo "   stopped with status $rc; see $log and $crashes/"
    fi
    if [ $MERGE -eq 1 ]; then
        nice -n 19 "$BUILD/fuzz_$name" -merge=1 -timeout=10 "$ROOT/tests/fuzz/corpus/$name" "$work" \
            >>"$log" 2>&1 || true
    fi
done
echo "Summary: $BUILD/fuzz-summary.txt"
exit $status
