#!/usr/bin/env bash
# Index benchmark: `varkit index` of a plain-text VCF (a bgzip copy and its tabix index) against
# `bgzip -@2` then `tabix -p vcf` of the same file.
#
#   bench/index.sh [build-dir] [vcf.gz] [runs]
#
# The VCF (default /work/benchdata/bench.vcf.gz, else the generated bench file) is decompressed into
# a temporary folder once. Each side runs `runs` times (default 3), the fastest run counts. Prints
# the wall times and the ratio (varkit / bgzip + tabix), checks that both give the same records
# by region, and exits with 1 when the bar is missed: ratio <= 1.05.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
source_vcf=${2:-/work/benchdata/bench.vcf.gz}
runs=${3:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
varkit="$build/varkit"
[ -x "$varkit" ] || { echo "index: build $varkit first (cmake --build $build)" >&2; exit 1; }
[ -f "$source_vcf" ] || source_vcf=$(bench_vcf "$build" 100000 100)

work=$(mktemp -d "${TMPDIR:-/tmp}/bench-index.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/ours" "$work/theirs"
zcat "$source_vcf" >"$work/ours/bench.vcf"
ln "$work/ours/bench.vcf" "$work/theirs/bench.vcf"

ours_once() { rm -f "$work/ours/bench.vcf.gz" "$work/ours/bench.vcf.gz.tbi"; "$varkit" index "$work/ours/bench.vcf"; }
theirs_once() {
    bgzip -@2 -c "$work/theirs/bench.vcf" >"$work/theirs/bench.vcf.gz"
    tabix -f -p vcf "$work/theirs/bench.vcf.gz"
}
export -f ours_once theirs_once
export work varkit

best ours "$runs" bash -c ours_once
best theirs "$runs" bash -c theirs_once

region=$(tabix -l "$work/theirs/bench.vcf.gz" | sed -n 1p)
if ! cmp -s <(bcftools view -H -r "$region" "$work/ours/bench.vcf.gz") \
    <(bcftools view -H -r "$region" "$work/theirs/bench.vcf.gz"); then
    echo "index: the records of $region differ from bgzip + tabix" >&2
    exit 1
fi

ratio=$(ratio "$oursWall" "$theirsWall")
echo "$(size "$work/ours/bench.vcf") bytes of VCF text, best of $runs runs ($(nproc) cores)"
printf "varkit index               %7.2f s wall %7.2f s CPU %5s MB\n" "$oursWall" "$oursCpu" "$oursPeak"
printf "bgzip -@2 + tabix -p vcf   %7.2f s wall %7.2f s CPU %5s MB\n" "$theirsWall" "$theirsCpu" "$theirsPeak"
echo "ratio $ratio (bar: <= 1.05), $(verdict "$ratio" 1.05)"
awk -v r="$ratio" 'BEGIN {exit !(r <= 1.05)}'
