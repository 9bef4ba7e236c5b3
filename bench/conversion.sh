#!/usr/bin/env bash
# Conversion benchmark: varkit against bcftools on the same generated VCF, in one run.
#
#   bench/conversion.sh [build-dir] [records] [samples]
#
# Prints, for each job, the wall time and peak memory of both tools and their ratio
# (varkit / bcftools), then the file sizes.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-100}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"

vcf="$work/bench.vcf.gz"
python3 "$here/make-bench-vcf.py" --records "$records" --samples "$samples" --out "$vcf" >/dev/null

# Runs a command under /usr/bin/time; sets SECONDS_TAKEN and PEAK_MB.
measure() {
    local log="$work/time.log"
    /usr/bin/time -v "$@" >/dev/null 2>"$log" || { cat "$log" >&2; exit 1; }
    SECONDS_TAKEN=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0;
        for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$log")
    PEAK_MB=$(awk -F': ' '/Maximum resident set size/ {printf "%.0f", $2 / 1024}' "$log")
}

report() {
    local job=$1 ours=$2 ourPeak=$3 theirs=$4 theirPeak=$5
    printf "%-34s varkit %7.2f s %5s MB   bcftools %7.2f s %5s MB   ratio %.2f\n" \
        "$job" "$ours" "$ourPeak" "$theirs" "$theirPeak" "$(awk -v a="$ours" -v b="$theirs" 'BEGIN {print a / b}')"
}

echo "$records records x $samples samples"

measure "$varkit" writetsf "$vcf" "$work/bench.tsf"
tsfTime=$SECONDS_TAKEN tsfPeak=$PEAK_MB
measure bcftools view -Ob -o "$work/bench.bcf" "$vcf"
report "VCF.gz -> TSF  vs  -> BCF" "$tsfTime" "$tsfPeak" "$SECONDS_TAKEN" "$PEAK_MB"

measure "$varkit" writevcf "$work/bench.tsf" "$work/from-tsf.vcf"
vcfTime=$SECONDS_TAKEN vcfPeak=$PEAK_MB
measure bcftools view -o "$work/from-bcf.vcf" "$work/bench.bcf"
report "TSF -> VCF  vs  BCF -> VCF" "$vcfTime" "$vcfPeak" "$SECONDS_TAKEN" "$PEAK_MB"

# A 1 Mb region that starts at the record a tenth of the way into the file.
read -r chrom start < <(bgzip -dc "$vcf" | grep -v '^#' | sed -n "$((records / 10 + 1))p" | cut -f 1,2)
region="$chrom:$start-$((start + 999999))"
measure "$varkit" writetsf "$work/bench.tsf" "$work/region.tsf" --query="$region"
subsetTime=$SECONDS_TAKEN subsetPeak=$PEAK_MB
measure bcftools view -r "$region" -Ob -o "$work/region.bcf" "$vcf"
report "1 Mb region subset ($region)" "$subsetTime" "$subsetPeak" "$SECONDS_TAKEN" "$PEAK_MB"

size() { stat -c %s "$1"; }
printf "sizes: VCF.gz %d, BCF %d, TSF %d bytes; TSF/BCF %.2f\n" "$(size "$vcf")" "$(size "$work/bench.bcf")" \
    "$(size "$work/bench.tsf")" "$(awk -v a="$(size "$work/bench.tsf")" -v b="$(size "$work/bench.bcf")" 'BEGIN {print a / b}')"
