#!/usr/bin/env bash
# The crash harness: runs the real kvzt-cli on the sample databases and kills
# it (strace fault injection, SIGKILL) at its sync, rename and unlink calls;
# after each kill it opens both databases (which recovers them), checks the
# invariants, reruns the command to its end and checks again:
#   - no journal, group record or temporary file is left;
#   - every tag of every table the command touched verifies;
#   - import and inclusions: the databases are exactly as after some whole
#     number of source records or duplicate rows (a record or row is whole
#     or absent), and after the rerun the inclusions end exactly as an
#     uninterrupted run, the import with no taxpayer twice;
#   - classifier import: the rerun ends exactly as an uninterrupted run;
#   - pack and reindex: the live records are those of the start, before and
#     after the rerun.
# Prints the points tried and survived per command; exit 1 when a point failed.
#
# usage: crash_harness.sh [--long [--per-unit]] BUILD_DIR
#   short (default, run by CTest): the first and the last call of each kind;
#   --long: every call; --per-unit also runs the import and inclusions with a
#   commit after every record or row (many more points).
#   CRASH_ONLY=TEXT in the environment runs only the commands whose label
#   starts with TEXT (e.g. CRASH_ONLY=kladr).
set -u

mode=short
per_unit=0
if [ "${1:-}" = "--long" ]; then mode=long; shift; fi
if [ "${1:-}" = "--per-unit" ]; then per_unit=1; shift; fi
[ $# -eq 1 ] || { echo "usage: $0 [--long [--per-unit]] BUILD_DIR" >&2; exit 2; }
BUILD=$(cd "$1" && pwd)
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
CLI=$BUILD/src/kvzt-cli
SAMPLES=$ROOT/samples
FINGERPRINT="/usr/bin/python3 $ROOT/tests/crash/fingerprint.py"
SYSCALLS="fsync fdatasync rename unlink"
# 77: skipped (CTest's SKIP_RETURN_CODE) on a machine without strace.
command -v strace >/dev/null || { echo "strace is not installed" >&2; exit 77; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/kvzt-crash.XXXXXX")
trap 'rm -rf "$WORK"' EXIT

cli() { local dir=$1; shift; "$CLI" "$@" --alias "VX_B=$dir/base" --alias "VX_S=$dir/sprav"; }
copy_state() { rm -rf "$2"; cp -a "$1" "$2"; }
fingerprint() { $FINGERPRINT "$1/base" "$1/sprav"; }
list_fingerprint() { $FINGERPRINT --table SPISOK32 "$1/base"; }
# Opening a table of each alias recovers what a killed run left.
recover() { cli "$1" info VX_B:SPISOK32 >/dev/null 2>&1 && cli "$1" info VX_S:SPIS_D32 >/dev/null 2>&1; }
leftovers() {
    find "$1" -iname 'KVZT.JNL*' -o -iname 'KVZT.GRP*' -o -name '*.tmp' -o -name '*.kvzt-*' | head -3
}
# Verifies every table whose .dbf or index differs from the start state.
verify_changed() {
    local dir=$1 start=$2 f sub name alias g same
    for f in "$dir"/base/*.[Dd][Bb][Ff] "$dir"/sprav/*.[Dd][Bb][Ff]; do
        sub=$(basename "$(dirname "$f")")
        name=$(basename "$f")
        same=1
        for g in "${f%.*}".*; do
            cmp -s "$g" "$start/$sub/$(basename "$g")" || same=0
        done
        [ $same -eq 1 ] && continue
        alias=VX_B
        [ "$sub" = sprav ] && alias=VX_S
        if ! cli "$dir" verify "$alias:${name%.*}" >/dev/null 2>&1; then
            echo "tag of $alias:${name%.*} does not verify"
            return 1
        fi
    done
}

# The sample states the commands start from.
prepare() {
    local s=$WORK/states
    mkdir -p "$s/empty/base" "$s/empty/sprav"
    cli "$s/empty" check --refbooks "$BUILD/src/refbooks" >/dev/null 2>&1 || { echo "check failed" >&2; exit 2; }
    copy_state "$s/empty" "$s/win"
    cli "$s/win" import --kind 3 "$SAMPLES/import/win32" >/dev/null 2>&1
    copy_state "$s/win" "$s/both"
    cli "$s/both" import --kind 2 "$SAMPLES/import/dos2" >/dev/null 2>&1
    copy_state "$s/both" "$s/included"
    cli "$s/included" include --list --mark д >/dev/null 2>&1
    cli "$s/included" include --income --kind 2 --source "$SAMPLES/import/dos2" --mark з >/dev/null 2>&1
}

# Fingerprints of the states after 0, 1, 2, … whole units: the command
# stopped by its hidden --abort-after with a commit after every unit.
# $1 start state, $2 kind (import|include), $3 units, rest: the command.
prefix_references() {
    local start=$1 kind=$2 units=$3 k d=$WORK/ref
    shift 3
    fingerprint "$start"
    for ((k = 1; k <= units; k++)); do
        copy_state "$start" "$d"
        cli "$d" "$@" --transaction-span-ms 0 --abort-after "$k" >/dev/null 2>&1
        recover "$d"
        fingerprint "$d"
    done
}

total_tried=0
total_survived=0
failures=0

# $1 label, $2 start state, $3 check (prefix-import|prefix-include|final|same), $4 extra options, rest: the command.
crash_command() {
    local label=$1 start=$WORK/states/$2 check=$3 extra=$4
    shift 4
    [ -n "${CRASH_ONLY:-}" ] && [ "${label#"$CRASH_ONLY"}" = "$label" ] && return
    local -a cmd=("$@")
    [ -n "$extra" ] && cmd+=($extra)
    local full=$WORK/full trace=$WORK/trace
    copy_state "$start" "$full"
    strace -f -qq -o "$trace" -e trace=fsync,fdatasync,rename,unlink \
        "$CLI" "${cmd[@]}" --alias "VX_B=$full/base" --alias "VX_S=$full/sprav" >"$WORK/full.out" 2>&1
    recover "$full"
    local full_fp full_list
    full_fp=$(fingerprint "$full")
    full_list=$(list_fingerprint "$full")

    local refs=""
    if [ "$check" = prefix-import ]; then
        local units
        units=$(sed -n 's/^Обработано записей исходного списка: \([0-9]*\) из.*/\1/p' "$WORK/full.out")
        refs=$(prefix_references "$start" import "$units" "$@"; echo "$full_fp")
    elif [ "$check" = prefix-include ]; then
        local written left
        written=$(sed -n 's/^Включено записей: \([0-9]*\) .*/\1/p' "$WORK/full.out")
        left=$(sed -n 's/.*осталось в списке дублей: \([0-9]*\).*/\1/p' "$WORK/full.out")
        refs=$(prefix_references "$start" include "$((written + left))" "$@"; echo "$full_fp")
    fi
    local start_fp
    start_fp=$(fingerprint "$start")

    local tried=0 survived=0 sc count n points
    for sc in $SYSCALLS; do
        count=$(grep -c "^[0-9]* *$sc(" "$trace")
        [ "$count" -gt 0 ] || continue
        if [ $mode = long ]; then
            points=$(seq 1 "$count")
        else
            points=$(printf '%s\n' 1 "$count" | sort -nu)
        fi
        for n in $points; do
            local d=$WORK/point why=""
            copy_state "$start" "$d"
            { strace -f -qq -o /dev/null -e trace="$sc" -e inject="$sc:signal=SIGKILL:when=$n" \
                "$CLI" "${cmd[@]}" --alias "VX_B=$d/base" --alias "VX_S=$d/sprav" >/dev/null 2>&1; } 2>/dev/null
            local rc=$?
            [ $rc -eq 137 ] || continue  # not reached (the calls differ from the counted run)
            tried=$((tried + 1))
            if ! recover "$d"; then
                why="the databases do not open after the kill"
            elif ! why=$(verify_changed "$d" "$start"); then
                :
            elif [ -n "$(leftovers "$d")" ]; then
                why="left after recovery: $(leftovers "$d" | tr '\n' ' ')"
            else
                local fp
                fp=$(fingerprint "$d")
                case $check in
                prefix-*) grep -qx "$fp" <<<"$refs" || why="a unit is half-written (no whole-unit state matches)" ;;
                same) [ "$fp" = "$start_fp" ] || why="the live records changed" ;;
                esac
                if [ -z "$why" ]; then
                    if ! cli "$d" "${cmd[@]}" >/dev/null 2>&1; then
                        why="the rerun failed"
                    elif [ -n "$(leftovers "$d")" ]; then
                        why="left after the rerun: $(leftovers "$d" | tr '\n' ' ')"
                    elif ! why=$(verify_changed "$d" "$start"); then
                        :
                    else
                        case $check in
                        prefix-import)
                            [ "$(list_fingerprint "$d")" = "$full_list" ] || why="the taxpayer list differs after the rerun" ;;
                        *) [ "$(fingerprint "$d")" = "$full_fp" ] || why="the rerun does not end as an uninterrupted run" ;;
                        esac
                    fi
                fi
            fi
            if [ -z "$why" ]; then
                survived=$((survived + 1))
            else
                echo "  $label: kill at $sc #$n: $why"
                failures=$((failures + 1))
            fi
        done
    done
    printf '%-34s points tried %4d, survived %4d\n' "$label" "$tried" "$survived"
    total_tried=$((total_tried + tried))
    total_survived=$((total_survived + survived))
}

prepare
spans=("")
[ $per_unit -eq 1 ] && spans+=("--transaction-span-ms 0")
for span in "${spans[@]}"; do
    suffix=${span:+ (commit per unit)}
    crash_command "import win32$suffix" empty prefix-import "$span" import --kind 3 "$SAMPLES/import/win32"
    crash_command "import dos2$suffix" win prefix-import "$span" import --kind 2 "$SAMPLES/import/dos2"
    crash_command "include list$suffix" both prefix-include "$span" include --list --mark д
    crash_command "include income$suffix" both prefix-include "$span" \
        include --income --kind 2 --source "$SAMPLES/import/dos2" --mark з
done
crash_command "kladr import" empty final "" kladr import "$SAMPLES/kladr/small" --regions 77,50
crash_command "pack" included same "" pack --group all
crash_command "reindex" included same "" reindex --group all
printf '%-34s points tried %4d, survived %4d\n' "all" "$total_tried" "$total_survived"
[ $failures -eq 0 ]
