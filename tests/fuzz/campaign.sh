#!/bin/sh
# Runs a fuzzing campaign over every fuzz target, one target at a time at low
# priority (the machine is shared), and adds the inputs that reach new code
# to the seed corpora under tests/fuzz/corpus/ (a libFuzzer merge keeps only
# those). Crashing inputs are left in BUILD_DIR/findings/.
#
#   tests/fuzz/campaign.sh [SECONDS_PER_TARGET] [BUILD_DIR] [TARGET...]
#
# SECONDS_PER_TARGET defaults to 300, BUILD_DIR to build-fuzz; without
# TARGETs every *_fuzz.cpp is run. The build directory is configured with
# clang and KVZT_FUZZ on when it does not exist yet. Prints, per target, the
# runs, the edges covered and the corpus entries added.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/../.." && pwd)
seconds=${1:-300}
build=${2:-build-fuzz}
[ $# -gt 0 ] && shift
[ $# -gt 0 ] && shift
case $build in /*) ;; *) build=$source_dir/$build ;; esac

if [ $# -gt 0 ]; then
    targets=$*
else
    targets=$(cd "$here" && ls *_fuzz.cpp | sed 's/\.cpp$//')
fi

if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake -S "$source_dir" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DKVZT_FUZZ=ON -DKVZT_BUILD_UI=OFF -DKVZT_BUILD_BENCH=OFF
fi
# shellcheck disable=SC2086
nice -n 10 cmake --build "$build" -j2 --target $targets

mkdir -p "$build/findings"
printf '%-22s %10s %8s %8s %s\n' target runs edges added findings
for target in $targets; do
    corpus=$here/corpus/$target
    fresh=$build/fresh/$target
    log=$build/findings/$target.log
    mkdir -p "$corpus" "$fresh"
    before=$(ls "$corpus" | wc -l)
    # New inputs go to a scratch directory first; the seeds are read, not written.
    status=0
    nice -n 10 "$build/tests/fuzz/$target" -max_total_time="$seconds" -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" -timeout=10 -rss_limit_mb=2048 \
        "$fresh" "$corpus" >"$log" 2>&1 || status=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    edges=$(grep -o 'cov: [0-9]*' "$log" | tail -1 | sed 's/cov: //')
    # Keep only what adds coverage to the committed seeds.
    nice -n 10 "$build/tests/fuzz/$target" -merge=1 "$corpus" "$fresh" >"$log.merge" 2>&1 || true
    rm -rf "$fresh"
    after=$(ls "$corpus" | wc -l)
    findings=$(ls "$build/findings" | grep -c "^$target-" || true)
    [ "$status" -ne 0 ] && findings="$findings (exit $status, see $log)"
    printf '%-22s %10s %8s %8s %s\n' "$target" "${runs:-?}" "${edges:-?}" "$((after - before))" "$findings"
done
