#!/usr/bin/env bash
# The quality stages of the test command, each printing its time:
#   fuzz      the four libFuzzer targets (clang, ASan+UBSan) for ERP_FUZZ_SECONDS each (default 60),
#             built alone in build/fuzz; a crash or a hang fails the stage and leaves its input in
#             build/fuzz/artifacts/<target>/
#   valgrind  the lifetime test (50 screen opens, 10 module loads) under memcheck, built alone in
#             build/valgrind; definitely or indirectly lost bytes fail the stage
# Usage: scripts/quality.sh [fuzz] [valgrind]   (both when none is named)
set -euo pipefail
cd "$(dirname "$0")/.."
ROOT=$PWD

stage_start=0
stage() { stage_start=$(date +%s); echo "==> $*"; }
stage_end() { echo "<== $1: $(( $(date +%s) - stage_start )) s"; }

stages=("$@")
[ ${#stages[@]} -eq 0 ] && stages=(fuzz valgrind)
export CCACHE_DIR=${CCACHE_DIR:-$HOME/.cache/ccache}
export CCACHE_BASEDIR=$ROOT

run_fuzz() {
    local seconds=${ERP_FUZZ_SECONDS:-60}
    stage "build (fuzz)"
    # Called where a failure does not stop the script (run_fuzz || ...): each step says so itself.
    CC=clang CXX=clang++ cmake -S fuzz -B build/fuzz -G Ninja >/dev/null || return 1
    cmake --build build/fuzz -j2 || { echo "fuzz: the fuzzers do not build"; return 1; }
    stage_end "build (fuzz)"
    local failed=0
    for target in selection_text date_text report_definition form_reader; do
        stage "fuzz $target (${seconds} s)"
        # The seeds stay as committed; what the run finds goes to a work corpus in the build folder.
        local work=build/fuzz/corpus/$target artifacts=build/fuzz/artifacts/$target
        mkdir -p "$work" "$artifacts"
        if ! QT_QPA_PLATFORM=offscreen ASAN_OPTIONS=detect_leaks=0 \
            "build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 \
            -print_final_stats=1 -artifact_prefix="$artifacts/" "$work" "fuzz/corpus/$target" \
            >"build/fuzz/$target.log" 2>&1; then
            echo "fuzz $target: FAILED, see build/fuzz/$target.log and $artifacts/"
            grep -m1 -E "ERROR|runtime error|Timeout|deadly" "build/fuzz/$target.log" || true
            failed=1
        fi
        echo "fuzz $target: $(grep -m1 'stat::number_of_executed_units' "build/fuzz/$target.log" | awk '{print $2}') executions"
        stage_end "fuzz $target"
    done
    return $failed
}

run_valgrind() {
    stage "build (valgrind)"
    cmake -S . -B build/valgrind -G Ninja -DCMAKE_BUILD_TYPE=Debug -DERP_TESTS=ON >/dev/null || return 1
    cmake --build build/valgrind -j2 --target test_lifetime Pkg_qmt31800 ||
        { echo "valgrind: the lifetime test does not build"; return 1; }
    stage_end "build (valgrind)"
    stage "valgrind (lifetime: ${ERP_LIFETIME_OPENS:-50} opens, ${ERP_LIFETIME_LOADS:-10} loads)"
    local log=build/valgrind/memcheck.log
    local rc=0
    # Qt's regular expressions run PCRE2's JIT code, whose reads memcheck cannot follow (52 false
    # "conditional jump" reports a run); the interpreter gives the same results and is checkable.
    QT_ENABLE_REGEXP_JIT=0 QT_QPA_PLATFORM=offscreen QT_FONT_DPI=96 ERP_REPORTS_DIR=$ROOT/reports \
        ERP_LIFETIME_OPENS=${ERP_LIFETIME_OPENS:-50} ERP_LIFETIME_LOADS=${ERP_LIFETIME_LOADS:-10} \
        valgrind --tool=memcheck --leak-check=full --show-leak-kinds=definite,indirect \
        --errors-for-leak-kinds=definite,indirect --error-exitcode=99 --num-callers=30 \
        --suppressions=scripts/valgrind.supp --log-file="$log" \
        build/valgrind/bin/test_lifetime || rc=$?
    grep -E "definitely lost|indirectly lost|ERROR SUMMARY" "$log" | sed 's/^==[0-9]*== */valgrind: /'
    stage_end "valgrind"
    [ $rc -eq 0 ] || { echo "valgrind: FAILED, see $log"; return 1; }
}

status=0
for s in "${stages[@]}"; do
    case "$s" in
    fuzz) run_fuzz || status=1 ;;
    valgrind) run_valgrind || status=1 ;;
    *) echo "usage: $0 [fuzz] [valgrind]" >&2; exit 2 ;;
    esac
done
exit $status
