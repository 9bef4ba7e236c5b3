#!/usr/bin/env bash
# Expression benchmark: filterByExpr with a locus expression and with an all-samples expression, each
# written to VCF next to bcftools view with the same test, and computeFields adding one record field
# next to writing the file without it. All in one run on the same generated file.
#
#   bench/expressions.sh [build-dir] [records] [samples] [runs]
#
# Prints wall time, CPU time and peak memory of each job (the best of `runs`, default 3), the records
# each tool kept, the ratios, and checks them against the bars: each filter <= 1.0x bcftools, the
# computed field <= 1.2x the plain write.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
vcf=$(bench_vcf "$build" "${2:-100000}" "${3:-100}")
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-expression-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"

filter() { echo "transform://filterByExpr/json/ {\"sourceUrl\":\"$vcf\",$1}"; }
records() { grep -vc '^#' "$1" || true; }

echo "$(basename "$vcf"): $(size "$vcf") bytes, $(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"

# compare <label> <bar> <varkit options> <bcftools arguments...>
compare() {
    local label=$1 bar=$2 options=$3
    shift 3
    best ours "$runs" "$varkit" writevcf "$(filter "$options")" "$work/ours.vcf"
    best peer "$runs" bcftools view "$@" -Ov -o "$work/theirs.vcf" "$vcf"
    local r
    r=$(ratio "$oursWall" "$peerWall")
    printf "%-9s varkit %6.2f s (cpu %6.2f s, %4s MB)   bcftools view %6.2f s (cpu %6.2f s, %4s MB)\n" "$label" \
        "$oursWall" "$oursCpu" "$oursPeak" "$peerWall" "$peerCpu" "$peerPeak"
    printf "          records kept %s / %s, wall ratio %s (bar %s: %s)\n" "$(records "$work/ours.vcf")" \
        "$(records "$work/theirs.vcf")" "$r" "$bar" "$(verdict "$r" "$bar")"
}

# The generated file has no AF below 0.05 and no record whose every GQ reaches 20, so each filter also
# runs with a threshold that keeps records, to time writing them too.
compare "locus" 1.0 '"expr":"QUAL > 30 && AF < 0.05"' -i 'QUAL>30 && INFO/AF<0.05'
compare "locus" 1.0 '"expr":"QUAL > 30 && AF < 0.5"' -i 'QUAL>30 && INFO/AF<0.5'
# bcftools lets a missing GQ pass -e; the varkit form says so with GQ == INT_NA.
compare "samples" 1.0 '"sampleExpr":"GQ >= 20 || GQ == INT_NA","andSampleResults":true' -e 'FMT/GQ<20'
compare "samples" 1.0 '"sampleExpr":"GQ >= 5 || GQ == INT_NA","andSampleResults":true' -e 'FMT/GQ<5'

field='{"className":"ComputedFieldOptions","fields":{"symbol":"QD","type":"Float","expression":"QUAL / DP"}}'
computed="transform://computeFields/json/ {\"sourceUrl\":\"$vcf\",\"computedFields\":[$field]}"
best computed "$runs" "$varkit" writevcf "$computed" "$work/computed.vcf"
best plain "$runs" "$varkit" writevcf "$vcf" "$work/plain.vcf"
computedRatio=$(ratio "$computedWall" "$plainWall")
printf "computed  varkit %6.2f s (cpu %6.2f s, %4s MB)   without the field %6.2f s (cpu %6.2f s, %4s MB)\n" \
    "$computedWall" "$computedCpu" "$computedPeak" "$plainWall" "$plainCpu" "$plainPeak"
printf "          wall ratio %s (bar 1.2: %s)\n" "$computedRatio" "$(verdict "$computedRatio" 1.2)"
