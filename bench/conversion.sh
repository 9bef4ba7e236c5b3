#!/usr/bin/env bash
# Conversion benchmark: varkit against bcftools on the same generated VCF, in one run.
#
#   bench/conversion.sh [build-dir] [records] [samples]
#
# Prints, for each job, the wall time and peak memory of both tools and their ratio
# (varkit / bcftools), then the file sizes. TSF to VCF (the best of RUNS alternating runs,
# default 3) is checked against its bars: wall <= 1.0x bcftools, peak <= 200 MB.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-100}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
vcf=$(bench_vcf "$build" "$records" "$samples")
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"

report() {
    local job=$1 ours=$2 ourPeak=$3 theirs=$4 theirPeak=$5
    printf "%-34s varkit %7.3f s %5s MB   bcftools %7.3f s %5s MB   ratio %s\n" \
        "$job" "$ours" "$ourPeak" "$theirs" "$theirPeak" "$(ratio "$ours" "$theirs")"
}

echo "$records records x $samples samples"

measure "$varkit" writetsf "$vcf" "$work/bench.tsf"
tsfTime=$WALL tsfPeak=$PEAK_MB
measure bcftools view -Ob -o "$work/bench.bcf" "$vcf"
bcfTime=$WALL bcfPeak=$PEAK_MB
report "VCF.gz -> TSF  vs  -> BCF" "$tsfTime" "$tsfPeak" "$bcfTime" "$bcfPeak"
measure "$varkit" writetsf "$vcf" "$work/compact.tsf" --compression=compact
report "VCF.gz -> compact TSF  vs  -> BCF" "$WALL" "$PEAK_MB" "$bcfTime" "$bcfPeak"

# The best of alternating runs: on a shared machine a single run measures the neighbours.
for ((run = 0; run < ${RUNS:-3}; run++)); do
    measure "$varkit" writevcf "$work/bench.tsf" "$work/from-tsf.vcf"
    keep_best fromTsf
    measure bcftools view -Ov -o "$work/from-bcf.vcf" "$work/bench.bcf"
    keep_best fromBcf
    rm -f "$work/from-tsf.vcf" "$work/from-bcf.vcf"
done
report "TSF -> VCF  vs  BCF -> VCF" "$fromTsfWall" "$fromTsfPeak" "$fromBcfWall" "$fromBcfPeak"
vcfRatio=$(ratio "$fromTsfWall" "$fromBcfWall")
printf "%-34s cpu %.2f s vs %.2f s; wall ratio %s (bar 1.0: %s), peak %s MB (bar 200: %s)\n" "" \
    "$fromTsfCpu" "$fromBcfCpu" "$vcfRatio" "$(verdict "$vcfRatio" 1.0)" "$fromTsfPeak" \
    "$(verdict "$fromTsfPeak" 200)"

# A 1 Mb region that starts at the record a tenth of the way into the file.
read -r chrom start < <(bgzip -dc "$vcf" | grep -v '^#' | sed -n "$((records / 10 + 1))p" | cut -f 1,2)
region="$chrom:$start-$((start + 999999))"
# Region jobs take tens of milliseconds, so each side is the best of five runs.
best ours 5 "$varkit" writetsf "$work/bench.tsf" "$work/region.tsf" --query="$region"
best peer 5 bcftools view -r "$region" -Ob -o "$work/region.bcf" "$vcf"
report "1 Mb region ($region) TSF -> TSF" "$oursWall" "$oursPeak" "$peerWall" "$peerPeak"
best peer 5 bcftools view -r "$region" -o "$work/region-bcftools.vcf" "$vcf"
best ours 5 "$varkit" writevcf "$vcf" "$work/region.vcf" --query="$region"
report "1 Mb region VCF.gz -> VCF" "$oursWall" "$oursPeak" "$peerWall" "$peerPeak"
best ours 5 "$varkit" writevcf "$work/bench.tsf" "$work/region-tsf.vcf" --query="$region"
report "1 Mb region TSF -> VCF" "$oursWall" "$oursPeak" "$peerWall" "$peerPeak"

printf "sizes: VCF.gz %d, BCF %d, TSF %d, compact TSF %d bytes; TSF/BCF %s, compact/BCF %s\n" "$(size "$vcf")" \
    "$(size "$work/bench.bcf")" "$(size "$work/bench.tsf")" "$(size "$work/compact.tsf")" \
    "$(ratio "$(size "$work/bench.tsf")" "$(size "$work/bench.bcf")")" \
    "$(ratio "$(size "$work/compact.tsf")" "$(size "$work/bench.bcf")")"
