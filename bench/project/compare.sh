#!/usr/bin/env bash
# Side by side: the project's 0xFF fill of a new 132 MiB swap file against dd writing the same
# bytes in 64 KiB pieces, and storing a project of 16 data sets of 16 MiB against cp copying the
# same files. Everything runs in one temporary folder on the same disk; each figure is the
# median of RUNS wall-clock runs, with dirty pages synced before every run.
#
# Usage: compare.sh BENCH_PROJECT_BINARY [WORK_PARENT_DIR]   (RUNS=5 by default)
set -euo pipefail
bench=${1:?usage: compare.sh path/to/bench_project [work-parent-dir]}
parent=${2:-${TMPDIR:-/tmp}}
runs=${RUNS:-5}
work=$(mktemp -d "$parent/zelmo-compare-XXXXXX")
trap 'rm -rf "$work"' EXIT

median() { sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'; }
now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# The project's figures (medians of its repetitions, milliseconds).
ZELMO_BENCH_DIR=$work "$bench" --benchmark_repetitions="$runs" \
    --benchmark_report_aggregates_only=true --benchmark_format=csv 2>/dev/null >"$work/bench.csv"
ours_fill=$(awk -F, '/BM_AddDataSet132MiB.*_median/ {printf "%.0f", $3}' "$work/bench.csv")
ours_store=$(awk -F, '/BM_StoreProject16x16MiB.*_median/ {printf "%.0f", $3}' "$work/bench.csv")

# dd: 132 MiB of 0xFF from a cached source file into a new file, 64 KiB at a time.
head -c $((132 << 20)) /dev/zero | tr '\0' '\377' >"$work/ff.src"
cat "$work/ff.src" >/dev/null
dd_times=()
for _ in $(seq "$runs"); do
    rm -f "$work/dd.swp"
    sync
    t0=$(now_ms)
    dd if="$work/ff.src" of="$work/dd.swp" bs=64K status=none
    t1=$(now_ms)
    dd_times+=($((t1 - t0)))
done
dd_fill=$(printf '%s\n' "${dd_times[@]}" | median)
rm -f "$work/ff.src" "$work/dd.swp"

# cp: a project file, one option file and 16 swap files of 16 MiB into a new folder.
mkdir -p "$work/src"
echo '<Settings/>' >"$work/src/Zelmo2.ini"
head -c 1024 /dev/zero >"$work/src/opt1234.swp"
for i in $(seq 0 15); do
    head -c $((16 << 20)) /dev/zero | tr '\0' '\377' >"$work/src/$(printf 'buf%04X.swp' $((i + 1)))"
done
cp_times=()
for _ in $(seq "$runs"); do
    rm -rf "$work/dst" "$work/P.zlp"
    sync
    t0=$(now_ms)
    cp "$work/src/Zelmo2.ini" "$work/P.zlp"
    mkdir -p "$work/dst"
    cp "$work/src/"*.swp "$work/dst/"
    t1=$(now_ms)
    cp_times+=($((t1 - t0)))
done
cp_store=$(printf '%s\n' "${cp_times[@]}" | median)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { if (b > 0) printf "%.2f", a / b; else print "-" }'; }
printf '%-44s %10s %10s %8s %6s\n' "task" "zelmo ms" "tool ms" "ratio" "goal"
printf '%-44s %10s %10s %8s %6s\n' "new 132 MiB swap file, 0xFF (vs dd bs=64K)" \
    "$ours_fill" "$dd_fill" "$(ratio "$ours_fill" "$dd_fill")" "1.5"
printf '%-44s %10s %10s %8s %6s\n' "store 16 x 16 MiB project (vs cp)" \
    "$ours_store" "$cp_store" "$(ratio "$ours_store" "$cp_store")" "1.2"
