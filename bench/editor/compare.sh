#!/usr/bin/env bash
# Side by side: the buffer tools against the programs a user would reach for, on a 256 MiB file
# in the page cache. Usage: compare.sh BENCH_EDITOR_BINARY [SIZE_MIB]
# Builds nothing; makes its inputs in a temporary folder and removes them afterwards.
set -euo pipefail

bench=${1:?usage: compare.sh path/to/bench_editor [size in MiB]}
mib=${2:-256}
bytes=$((mib * 1024 * 1024))
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

a=$work/a.bin
b=$work/b.bin
out=$work/out.bin
ff=$work/ff.bin
head -c "$bytes" /dev/urandom >"$a"
cp "$a" "$b"
printf '\x00' | dd of="$b" bs=1 seek=$((bytes - 1)) conv=notrunc status=none
cmp -s "$a" "$b" && { echo "inputs do not differ" >&2; exit 1; }
head -c "$bytes" /dev/zero | tr '\0' '\377' >"$ff"
cp "$ff" "$out"
cat "$a" "$b" "$ff" "$out" >/dev/null # into the page cache

# rate NAME COMMAND...: runs the command three times and prints the best rate by CPU time
# (user + system; the machine is shared, so wall time mostly measures the neighbours) and by
# wall time.
rate() {
    local name=$1 times
    shift
    times=$(for _ in 1 2 3; do
        { TIMEFORMAT='%U %S %R'; time "$@" >/dev/null 2>&1 || true; } 2>&1 # cmp exits 1
    done)
    awk -v n="$name" -v b="$bytes" '
        { cpu = $1 + $2; if (best == "" || cpu < best) best = cpu; if (wall == "" || $3 < wall) wall = $3 }
        END { printf "%-44s %7.2f GB/s  (wall %5.2f GB/s)\n", n, b / best / 1e9, b / wall / 1e9 }' <<<"$times"
}

echo "Input: $mib MiB in the page cache; rates by CPU time (user + system), best of 3, load $(cut -d" " -f1 /proc/loadavg)"
echo
echo "Tools"
rate "cat file > /dev/null" cat "$a"
rate "cksum" cksum "$a"
python3 - "$a" <<'PY'
import sys, time, zlib
data = open(sys.argv[1], "rb").read()
best = min(
    (lambda t0: (zlib.crc32(data), time.process_time() - t0)[1])(time.process_time())
    for _ in range(3))
print(f"{'python3 zlib.crc32 (bytes in memory)':<44} {len(data) / best / 1e9:7.2f} GB/s")
PY
rate "grep -c -F (absent text)" grep -c -F "Zelmo-nothere" "$a"
rate "cmp (differ in the last byte)" cmp "$a" "$b"
rate "dd 0xFF, 64 KiB pieces, conv=fdatasync" dd if="$ff" of="$out" bs=64K conv=notrunc,fdatasync status=none
echo
echo "bench_editor (Google Benchmark bytes_per_second, by process CPU time)"
ZELMO_BENCH_FILE=$a ZELMO_BENCH_FILE2=$b ZELMO_BENCH_OUT=$out \
    "$bench" --benchmark_min_time=0.5 --benchmark_format=csv 2>/dev/null |
    python3 -c '
import csv, sys
rows = csv.reader(l for l in sys.stdin if l.startswith("\"BM_") or l.startswith("name"))
header = next(rows)
col = header.index("bytes_per_second")
names = {"BM_Fill/1": "fill constant byte (kind 1)", "BM_Fill/5": "fill sequential words (kind 5)",
         "BM_Fill/3": "fill random (kind 3)", "BM_Fill/10": "swap bytes (kind 10)",
         "BM_Find/1": "find, case sensitive", "BM_Find/0": "find, case insensitive"}
for r in rows:
    name = r[0].strip("\"")
    label = names.get(name, name)
    print(f"{label:<44} {float(r[col]) / 1e9:7.2f} GB/s")
'
