#!/usr/bin/env bash
# Transform benchmark: altratio written to VCF next to `bcftools +fill-tags -t FORMAT/VAF`, three
# nested altratio transforms next to one, and 100,000 one-base region queries (the file's own
# sites, in order, every field read) on the VCF.gz and on its TSF next to bcftools streaming the
# same sites with -T. All in one run on the same generated file.
#
#   bench/transforms.sh [build-dir] [records] [samples] [runs]
#
# Prints wall time, CPU time and peak memory of each job (the best of `runs`, default 3), the ratios,
# and checks them against the bars: altratio <= 1.0x bcftools with a peak <= 200 MB, three nested
# <= 1.3x one, each query series <= 5 s.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
vcf=$(bench_vcf "$build" "${2:-100000}" "${3:-100}")
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-transform-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"

nest() { "$varkit" transform altratio "$1" --fieldSymbol="$2" --url; }

echo "$(basename "$vcf"): $(size "$vcf") bytes, $(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"

one=$(nest "$vcf" VAF)
# Transform URLs nest: each level's input is the URL of the level below.
three=$(nest "$(nest "$(nest "$vcf" V1)" V2)" V3)
best one "$runs" "$varkit" writevcf "$one" "$work/vaf.vcf"
best peer "$runs" bcftools +fill-tags "$vcf" -Ov -o "$work/fill-tags.vcf" -- -t FORMAT/VAF
best three "$runs" "$varkit" writevcf "$three" "$work/three.vcf"

altRatio=$(ratio "$oneWall" "$peerWall")
printf "altratio  varkit %6.2f s (cpu %6.2f s, %4s MB)   bcftools +fill-tags %6.2f s (cpu %6.2f s, %4s MB)\n" \
    "$oneWall" "$oneCpu" "$onePeak" "$peerWall" "$peerCpu" "$peerPeak"
printf "          wall ratio %s (bar 1.0: %s), peak %s MB (bar 200: %s)\n" "$altRatio" \
    "$(verdict "$altRatio" 1.0)" "$onePeak" "$(verdict "$onePeak" 200)"
nestRatio=$(ratio "$threeWall" "$oneWall")
printf "nesting   three nested %6.2f s (cpu %6.2f s, %4s MB), one %6.2f s: ratio %s (bar 1.3: %s)\n" \
    "$threeWall" "$threeCpu" "$threePeak" "$oneWall" "$nestRatio" "$(verdict "$nestRatio" 1.3)"

bgzip -dc "$vcf" | grep -v '^#' | cut -f 1,2 >"$work/sites.tsv"
"$varkit" writetsf "$vcf" "$work/bench.tsf" >/dev/null 2>&1
measure bcftools view -H -T "$work/sites.tsv" -o /dev/null "$vcf"
streamWall=$WALL
for source in "$vcf" "$work/bench.tsf"; do
    measure "$build/bench/region_query_bench" "$source" "$work/sites.tsv"
    printf "queries   %-4s %s (wall %.2f s, cpu %.2f s, %s MB; bar 5 s: %s); bcftools -T streams them in %.2f s\n" \
        "${source##*.}" "$(echo "$MEASURED_OUTPUT" | cut -d, -f1-2)" "$WALL" "$CPU" "$PEAK_MB" \
        "$(verdict "$WALL" 5)" "$streamWall"
done
