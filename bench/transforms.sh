#!/usr/bin/env bash
# Transform benchmark: altratio written to VCF next to `bcftools +fill-tags -t FORMAT/VAF`, three
# nested altratio transforms next to one, and 100,000 one-base region queries (the file's own
# sites, in order, every field read) on the VCF.gz and on its TSF next to bcftools streaming the
# same sites with -T. All in one run on the same generated file.
#
#   bench/transforms.sh [build-dir] [records] [samples]
#
# Set VCF=<file.vcf.gz> (tabix-indexed) to use an existing file. Prints wall time, CPU time and peak
# memory of each job, the ratios, and checks them against the bars: altratio <= 1.0x bcftools with
# a peak <= 200 MB, three nested <= 1.3x one, each query series <= 5 s.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-100}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-transform-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"
queries="$build/bench/region_query_bench"

vcf=${VCF:-}
if [ -z "$vcf" ]; then
    vcf="$work/bench.vcf.gz"
    python3 "$here/make-bench-vcf.py" --records "$records" --samples "$samples" --out "$vcf" >/dev/null
    tabix -f -p vcf "$vcf"
fi

# Runs a command under /usr/bin/time; sets WALL, CPU (user + system) and PEAK_MB.
measure() {
    local log="$work/time.log"
    /usr/bin/time -f "%e %U %S %M" -o "$log" "$@" >"$work/stdout.log" 2>"$work/stderr.log" || {
        cat "$work/stderr.log" >&2
        exit 1
    }
    read -r WALL user system kb <"$log"
    CPU=$(awk -v u="$user" -v s="$system" 'BEGIN {print u + s}')
    PEAK_MB=$(awk -v k="$kb" 'BEGIN {printf "%.0f", k / 1024}')
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
verdict() { awk -v r="$1" -v bar="$2" 'BEGIN {print (r <= bar) ? "ok" : "over the bar"}'; }
nest() { "$varkit" transform altratio "$1" --fieldSymbol="$2" --url; }

echo "$(basename "$vcf"): $(stat -c %s "$vcf") bytes, $(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"

one=$(nest "$vcf" VAF)
measure "$varkit" writevcf "$one" "$work/vaf.vcf"
oneWall=$WALL oneCpu=$CPU onePeak=$PEAK_MB
measure bcftools +fill-tags "$vcf" -Ov -o "$work/fill-tags.vcf" -- -t FORMAT/VAF
altRatio=$(ratio "$oneWall" "$WALL")
printf "altratio  varkit %6.2f s (cpu %6.2f s, %4s MB)   bcftools +fill-tags %6.2f s (cpu %6.2f s, %4s MB)\n" \
    "$oneWall" "$oneCpu" "$onePeak" "$WALL" "$CPU" "$PEAK_MB"
printf "          wall ratio %s (bar 1.0: %s), peak %s MB (bar 200: %s)\n" "$altRatio" \
    "$(verdict "$altRatio" 1.0)" "$onePeak" "$(verdict "$onePeak" 200)"

# Transform URLs nest: each level's input is the URL of the level below.
three=$(nest "$(nest "$(nest "$vcf" V1)" V2)" V3)
measure "$varkit" writevcf "$three" "$work/three.vcf"
nestRatio=$(ratio "$WALL" "$oneWall")
printf "nesting   three nested %6.2f s (cpu %6.2f s, %4s MB), one %6.2f s: ratio %s (bar 1.3: %s)\n" \
    "$WALL" "$CPU" "$PEAK_MB" "$oneWall" "$nestRatio" "$(verdict "$nestRatio" 1.3)"

bgzip -dc "$vcf" | grep -v '^#' | cut -f 1,2 >"$work/sites.tsv"
"$varkit" writetsf "$vcf" "$work/bench.tsf" >/dev/null 2>&1
measure bcftools view -H -T "$work/sites.tsv" -o /dev/null "$vcf"
streamWall=$WALL
for source in "$vcf" "$work/bench.tsf"; do
    measure "$queries" "$source" "$work/sites.tsv"
    printf "queries   %-9s %s (wall %.2f s, cpu %.2f s, %s MB; bar 5 s: %s); bcftools -T streams them in %.2f s\n" \
        "${source##*.}" "$(cut -d, -f1-2 "$work/stdout.log")" "$WALL" "$CPU" "$PEAK_MB" \
        "$(verdict "$WALL" 5)" "$streamWall"
done
