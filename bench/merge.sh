#!/usr/bin/env bash
# Merge and append benchmark: mergevcfs of four VCFs of records x samples (bench/make-merge-inputs.py:
# each keeps three records in four of the generated VCF, so sites overlap, one SNV in ten with another
# alternate, samples distinct) next to `bcftools merge`, and appendrecords of the bench file dealt record by record
# into four sorted, indexed files next to `bcftools concat -a`. Both written to VCF.
#
#   bench/merge.sh [build-dir] [records] [samples] [runs]
#
# Prints wall time, CPU time and peak memory of each job (the best of `runs`, default 3) and the
# ratios to bcftools.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-25}
runs=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-merge-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"

echo "$records records x $samples samples, $(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"

vcf=$(bench_vcf "$build" "$records" "$samples")
mapfile -t inputs < <(python3 "$here/make-merge-inputs.py" --vcf "$vcf" --out-prefix "$work/in")
merge=$("$varkit" transform mergevcfs --url --sources "${inputs[@]}")
best ours "$runs" "$varkit" writevcf "$merge" "$work/merged.vcf"
best peer "$runs" bcftools merge -o "$work/bcftools-merged.vcf" "${inputs[@]}"
printf "merge   varkit %6.2f s (cpu %6.2f s, %4s MB)   bcftools merge %6.2f s (cpu %6.2f s, %4s MB)   ratio %s\n" \
    "$oursWall" "$oursCpu" "$oursPeak" "$peerWall" "$peerCpu" "$peerPeak" "$(ratio "$oursWall" "$peerWall")"

parts=()
for part in 0 1 2 3; do
    { bgzip -dc "$vcf" | grep '^#'; bgzip -dc "$vcf" | grep -v '^#' | awk -v p="$part" 'NR % 4 == p'; } |
        bgzip >"$work/part$part.vcf.gz"
    tabix -f -p vcf "$work/part$part.vcf.gz"
    parts+=("$work/part$part.vcf.gz")
done
append=$("$varkit" transform appendrecords --url --sources "${parts[@]}")
best ours "$runs" "$varkit" writevcf "$append" "$work/appended.vcf"
best peer "$runs" bcftools concat -a -o "$work/bcftools-appended.vcf" "${parts[@]}"
printf "append  varkit %6.2f s (cpu %6.2f s, %4s MB)   bcftools concat -a %6.2f s (cpu %6.2f s, %4s MB)   ratio %s\n" \
    "$oursWall" "$oursCpu" "$oursPeak" "$peerWall" "$peerCpu" "$peerPeak" "$(ratio "$oursWall" "$peerWall")"
