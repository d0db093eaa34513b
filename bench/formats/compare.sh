#!/usr/bin/env bash
# Side by side: loading and saving a 64 MiB random image as Intel HEX (16-byte records) and as
# S3 records with zelmo2-cli convert, srec_cat and objcopy. Each tool turns the record file into
# a binary ("load") and the binary into a record file ("save"); every output is checked against
# the image. Builds nothing; makes its inputs in a temporary folder.
#
# Usage: [RUNS=n] compare.sh [ZELMO2_CLI | BENCH_FORMATS] [SREC_CAT] [OBJCOPY]
#   every figure is the best of RUNS (default 2) runs, which the machine's other load blurs less.
#   defaults: build/bin/zelmo2-cli next to this checkout, srec_cat and objcopy from PATH. Given
#   the benchmark program (as scripts/run-benchmarks does), the zelmo2-cli of its build is used.
#   A save includes flushing the new file to disk before it replaces the old one.
#   ONLY_ZELMO=1 leaves the other tools out (to set two builds of zelmo2-cli side by side).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-$here/../../build/bin/zelmo2-cli}
if [ "$(basename "$cli")" = bench_formats ]; then
    cli=$(cd "$(dirname "$cli")/.." && pwd)/bin/zelmo2-cli
fi
srec_cat=${2:-$(command -v srec_cat || true)}
objcopy=${3:-$(command -v objcopy || true)}
if [ -n "${ONLY_ZELMO:-}" ]; then srec_cat=""; objcopy=""; fi
size=$((64 * 1024 * 1024))

work=$(mktemp -d "${TMPDIR:-/tmp}/zelmo-compare.XXXXXX")
trap 'rm -rf "$work"' EXIT
cd "$work"

head -c "$size" /dev/urandom > image.bin
# Reference inputs, written by our own writer (16-byte records; S3 for a memory this large).
"$cli" convert --sizes "$size,0,0,0,0" --in image.bin --in-format bin --no-fill \
    --out image.hex --out-format hex > /dev/null
"$cli" convert --sizes "$size,0,0,0,0" --in image.bin --in-format bin --no-fill \
    --out image.s37 --out-format srec > /dev/null
cat image.hex image.s37 image.bin > /dev/null # warm the page cache

runs=${RUNS:-2}
seconds() { # runs a command $runs times, prints the best wall time in seconds
    local start end t best=""
    for _ in $(seq "$runs"); do
        start=$(date +%s.%N)
        "$@" > /dev/null 2>&1
        end=$(date +%s.%N)
        t=$(echo "$end - $start" | bc)
        if [ -z "$best" ] || [ "$(echo "$t < $best" | bc)" = 1 ]; then best=$t; fi
    done
    echo "$best"
}
check() { # file that must equal the image (binary) or load back to it (records)
    if ! cmp -s "$1" image.bin; then echo "MISMATCH: $1" >&2; exit 1; fi
}
backcheck() { # record file written by a tool: our reader must load it back to the image
    "$cli" convert --sizes "$size,0,0,0,0" --in "$1" --in-format "$2" --no-fill \
        --out back.bin --out-format bin > /dev/null
    check back.bin
    rm -f back.bin
}

declare -A t
for fmt in hex srec; do
    in=image.hex; [ "$fmt" = srec ] && in=image.s37
    t[zelmo,$fmt,load]=$(seconds "$cli" convert --sizes "$size,0,0,0,0" --in "$in" \
        --in-format "$fmt" --no-fill --out out.bin --out-format bin)
    check out.bin
    t[zelmo,$fmt,save]=$(seconds "$cli" convert --sizes "$size,0,0,0,0" --in image.bin \
        --in-format bin --no-fill --out "out.$fmt" --out-format "$fmt")
    backcheck "out.$fmt" "$fmt"
    rm -f out.bin "out.$fmt"
done

if [ -n "$srec_cat" ]; then
    t[srec_cat,hex,load]=$(seconds "$srec_cat" image.hex -intel -o out.bin -binary)
    check out.bin
    t[srec_cat,hex,save]=$(seconds "$srec_cat" image.bin -binary -o out.hex -intel -obs=16)
    backcheck out.hex hex
    t[srec_cat,srec,load]=$(seconds "$srec_cat" image.s37 -motorola -o out.bin -binary)
    check out.bin
    t[srec_cat,srec,save]=$(seconds "$srec_cat" image.bin -binary -o out.srec -motorola \
        -address-length=4 -obs=16)
    backcheck out.srec srec
    rm -f out.bin out.hex out.srec
fi
if [ -n "$objcopy" ]; then
    t[objcopy,hex,load]=$(seconds "$objcopy" -I ihex -O binary image.hex out.bin)
    check out.bin
    t[objcopy,hex,save]=$(seconds "$objcopy" -I binary -O ihex image.bin out.hex)
    backcheck out.hex hex
    t[objcopy,srec,load]=$(seconds "$objcopy" -I srec -O binary image.s37 out.bin)
    check out.bin
    t[objcopy,srec,save]=$(seconds "$objcopy" -I binary -O srec --srec-forceS3 --srec-len=16 \
        image.bin out.srec)
    backcheck out.srec srec
    rm -f out.bin out.hex out.srec
fi

printf '64 MiB image: HEX %d bytes, S-record %d bytes (best wall seconds of %d runs)\n' \
    "$(stat -c %s image.hex)" "$(stat -c %s image.s37)" "$runs"
printf '%-10s %10s %10s %10s %10s\n' tool "HEX load" "HEX save" "S load" "S save"
for tool in zelmo srec_cat objcopy; do
    [ -n "${t[$tool,hex,load]:-}" ] || continue
    printf '%-10s %10.3f %10.3f %10.3f %10.3f\n' "$tool" "${t[$tool,hex,load]}" \
        "${t[$tool,hex,save]}" "${t[$tool,srec,load]}" "${t[$tool,srec,save]}"
done
for tool in srec_cat objcopy; do
    [ -n "${t[$tool,hex,load]:-}" ] || continue
    printf '%-10s %10.1fx %9.1fx %9.1fx %9.1fx\n' "zelmo vs $tool" \
        "$(echo "${t[$tool,hex,load]} / ${t[zelmo,hex,load]}" | bc -l)" \
        "$(echo "${t[$tool,hex,save]} / ${t[zelmo,hex,save]}" | bc -l)" \
        "$(echo "${t[$tool,srec,load]} / ${t[zelmo,srec,load]}" | bc -l)" \
        "$(echo "${t[$tool,srec,save]} / ${t[zelmo,srec,save]}" | bc -l)"
done
