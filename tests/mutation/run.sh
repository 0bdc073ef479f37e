#!/usr/bin/env bash
# Mutation check of the test suite. Puts one small, plausible fault at a time
# into a scratch copy of the tree, rebuilds the copy, runs the test programs
# the fault concerns and says whether any test caught it. The real tree is
# never written to.
#
#   tests/mutation/run.sh [--list FILE] [--only TEXT] [--check]
#
#   --list FILE  the mutation list (default: mutations.txt beside this script)
#   --only TEXT  only the mutations whose name contains TEXT
#   --check      only check that every search text is still found, then stop
#
# Environment: KVZT_MUTATION_DIR (scratch folder, default /tmp/kvzt-mutation;
# kept between runs so that the next run rebuilds little), KVZT_MUTATION_JOBS
# (build jobs, default 2), KVZT_MUTATION_SHARDS (processes per test program,
# default 4: the tests mostly wait on fsync). Run it niced on a shared
# machine: nice -n 10 tests/mutation/run.sh
#
# Exit status: 0 every mutation caught, 1 some not caught (or not built),
# 2 a bad list, a stale search text or a suite that fails unmutated.

set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
list="$here/mutations.txt"
only=""
checkOnly=0
scratch=${KVZT_MUTATION_DIR:-/tmp/kvzt-mutation}
jobs=${KVZT_MUTATION_JOBS:-2}
shards=${KVZT_MUTATION_SHARDS:-4}
defaultPrograms="kvzt_engine_tests kvzt_core_tests"
python=/usr/bin/python3
[ -x "$python" ] || python=python3

die() {
    echo "run.sh: $*" >&2
    exit 2
}

while [ $# -gt 0 ]; do
    case "$1" in
        --list) list=$2; shift 2 ;;
        --only) only=$2; shift 2 ;;
        --check) checkOnly=1; shift ;;
        -h|--help) sed -n '2,22p' "$0"; exit 0 ;;
        *) die "unknown argument $1" ;;
    esac
done
[ -f "$list" ] || die "no mutation list $list"
case "$scratch" in
    /tmp/*) ;;
    *) die "KVZT_MUTATION_DIR must lie under /tmp (it is emptied and rewritten): $scratch" ;;
esac

# ---- the list: blocks of "key: value" lines separated by blank lines --------
names=() files=() finds=() puts=() programs=()
flush_block() {
    [ -z "${b_name}${b_file}${b_find}" ] && return 0
    [ -n "$b_name" ] || die "$list: a mutation without name (before line $lineNo)"
    [ -n "$b_file" ] || die "$list: mutation '$b_name' has no file"
    [ -n "$b_find" ] || die "$list: mutation '$b_name' has no find"
    [ "$b_hasPut" = 1 ] || die "$list: mutation '$b_name' has no put"
    if [ -z "$only" ] || [[ "$b_name" == *"$only"* ]]; then
        names+=("$b_name") files+=("$b_file") finds+=("$b_find") puts+=("$b_put")
        programs+=("${b_run:-$defaultPrograms}")
    fi
    b_name="" b_file="" b_find="" b_put="" b_hasPut=0 b_run=""
}
b_name="" b_file="" b_find="" b_put="" b_hasPut=0 b_run=""
lineNo=0
while IFS= read -r line || [ -n "$line" ]; do
    lineNo=$((lineNo + 1))
    case "$line" in
        '#'*) continue ;;
        '') flush_block; continue ;;
    esac
    key=${line%%:*}
    value=${line#*:}
    value=${value# }  # one blank after the colon belongs to the syntax
    case "$key" in
        name) b_name=$value ;;
        file) b_file=$value ;;
        find) b_find=$value ;;
        put) b_put=$value; b_hasPut=1 ;;
        run) b_run=$value ;;
        *) die "$list:$lineNo: unknown key '$key'" ;;
    esac
done < "$list"
flush_block
[ ${#names[@]} -gt 0 ] || die "no mutation selected"

# Counts the places `find` occurs in `file`.
occurrences() {
    "$python" - "$1" "$2" <<'EOF'
import sys
path, find = sys.argv[1], sys.argv[2]
with open(path, encoding="utf-8") as f:
    print(f.read().count(find))
EOF
}

# Every search text must occur exactly once: a text gone stale (or one that
# became ambiguous) is an error of the list, reported before anything builds.
stale=0
for i in "${!names[@]}"; do
    f="$root/${files[$i]}"
    if [ ! -f "$f" ]; then
        echo "STALE  ${names[$i]}: no file ${files[$i]}" >&2
        stale=1
        continue
    fi
    n=$(occurrences "$f" "${finds[$i]}")
    if [ "$n" != 1 ]; then
        echo "STALE  ${names[$i]}: the search text occurs $n times in ${files[$i]}: ${finds[$i]}" >&2
        stale=1
    fi
done
[ $stale = 0 ] || die "the mutation list does not fit the code; update $list"
echo "${#names[@]} mutations, every search text found once."
[ $checkOnly = 1 ] && exit 0

# ---- the scratch copy ---------------------------------------------------------
tree="$scratch/tree"
build="$tree/build-tests"
logs="$scratch/logs"
mkdir -p "$tree" "$logs"
rm -f "$logs"/*.log
# Everything but the build folders and git is copied afresh, with the
# original times, so an unchanged file does not rebuild. The files the list
# mutates are touched: a run stopped half-way may have left objects built
# from a mutant.
find "$tree" -mindepth 1 -maxdepth 1 ! -name build-tests -exec rm -rf {} +
tar -C "$root" --exclude='./build*' --exclude='./.git' -cf - . | tar -C "$tree" -xf - || die "copying the tree failed"
for f in $(printf '%s\n' "${files[@]}" | sort -u); do touch "$tree/$f"; done

# ccache shares objects with the real build when paths relative to the base
# folder are the same: the copy keeps the layout <tree>/build-tests.
export CCACHE_BASEDIR="$tree"
if [ ! -f "$build/build.ninja" ]; then
    cmake -S "$tree" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DKVZT_BUILD_BENCH=OFF > "$logs/configure.log" 2>&1 ||
        die "configuring the copy failed: $logs/configure.log"
fi

allPrograms=$(printf '%s\n' "${programs[@]}" | tr ' ' '\n' | sed '/^$/d' | sort -u | tr '\n' ' ')

build_programs() {  # build_programs LOG PROGRAM...
    local log=$1
    shift
    cmake --build "$build" -j "$jobs" --target "$@" >> "$log" 2>&1
}

# Runs each program split into shards run side by side; false when any fails.
run_programs() {  # run_programs LOG PROGRAM...
    local log=$1 ok=0 pids=() p s
    shift
    for p in "$@"; do
        for s in $(seq 0 $((shards - 1))); do
            (cd "$build/tests" && QT_QPA_PLATFORM=offscreen GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$s \
                timeout 900 "./$p" --gtest_brief=1 > "$log.$p.$s" 2>&1) &
            pids+=($!)
        done
    done
    for p in "${pids[@]}"; do wait "$p" || ok=1; done
    cat "$log".*.* >> "$log" 2>/dev/null
    rm -f "$log".*.*
    return $ok
}

echo "Baseline: building and running $allPrograms in $tree"
# shellcheck disable=SC2086
build_programs "$logs/baseline.log" $allPrograms || die "the unmutated copy does not build: $logs/baseline.log"
# shellcheck disable=SC2086
run_programs "$logs/baseline.log" $allPrograms || die "the unmutated suite fails: $logs/baseline.log"

# ---- one mutation at a time -----------------------------------------------------
caught=0 missed=0 unbuilt=0
missedNames=()
total=${#names[@]}
for i in "${!names[@]}"; do
    name=${names[$i]}
    file="$tree/${files[$i]}"
    log="$logs/$(printf '%02d' $((i + 1)))-$(echo "$name" | tr -c 'A-Za-z0-9_-' '_').log"
    original="$scratch/original"
    cp "$file" "$original"
    "$python" - "$file" "${finds[$i]}" "${puts[$i]}" <<'EOF' || die "could not apply $name"
import sys
path, find, put = sys.argv[1:4]
with open(path, encoding="utf-8") as f:
    text = f.read()
if text.count(find) != 1:
    sys.exit("search text not found once")
with open(path, "w", encoding="utf-8") as f:
    f.write(text.replace(find, put))
EOF
    {
        echo "mutation: $name"
        echo "file: ${files[$i]}"
        echo "find: ${finds[$i]}"
        echo "put:  ${puts[$i]}"
    } > "$log"
    # shellcheck disable=SC2086
    if ! build_programs "$log" ${programs[$i]}; then
        verdict="NOT BUILT"
        unbuilt=$((unbuilt + 1))
        missedNames+=("$name (does not build)")
    # shellcheck disable=SC2086
    elif run_programs "$log" ${programs[$i]}; then
        verdict="NOT CAUGHT"
        missed=$((missed + 1))
        missedNames+=("$name")
    else
        verdict="caught"
        caught=$((caught + 1))
    fi
    # Put the original back as a new write (a newer time), so that the next
    # build compiles it again rather than keeping the mutant's object.
    cat "$original" > "$file"
    printf '[%2d/%d] %-10s %s\n' $((i + 1)) "$total" "$verdict" "$name"
    [ "$verdict" = caught ] || echo "        log: $log"
done

# Leave the copy built from the unmutated sources for the next run.
# shellcheck disable=SC2086
build_programs "$logs/final.log" $allPrograms > /dev/null 2>&1 || true

echo
echo "Score: $caught of $total caught ($missed not caught, $unbuilt not built)."
for n in "${missedNames[@]}"; do echo "  missed: $n"; done
[ $caught = "$total" ] && exit 0
exit 1
