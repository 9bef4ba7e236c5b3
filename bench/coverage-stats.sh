#!/usr/bin/env bash
# Coverage statistics benchmark: `transform coveragestats` of 10,000 target regions (lengths 50 to
# 2,000) over a generated, indexed BAM (two 3 Mb chromosomes at 30x of 100-base reads with
# duplicates, secondary reads, deletions, insertions and skips; bench/make-bench-bam.py, made once
# and kept in <build-dir>/bench-data), read as a URL by writetxt, next to `samtools bedcov -j -d 30`
# (the depth sum and the bases at the target depth per region, with the same read filter).
#
#   bench/coverage-stats.sh [build-dir] [runs]
#
# Prints wall time, CPU time and peak memory of each (the best of `runs`, default 3), checks that
# both give the same mean depth and target count for every region, and checks the bar: <= 1.5x
# samtools bedcov.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${2:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
data="$build/bench-data"
bam="$data/coverage-reads.bam"
regions="$data/coverage-regions.bed"
if [ ! -f "$bam.bai" ] || [ ! -f "$regions" ]; then
    mkdir -p "$data"
    python3 "$here/make-bench-bam.py" --sam "$data/coverage-reads.sam" --bed "$regions"
    samtools view -b -o "$bam" "$data/coverage-reads.sam"
    rm -f "$data/coverage-reads.sam"
    samtools index "$bam"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-coverage-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"

echo "$(basename "$bam"): $(size "$bam") bytes, $(samtools idxstats "$bam" | awk '{n += $3} END {print n}') reads;" \
    "$(wc -l <"$regions") regions; $(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"

url=$("$varkit" transform coveragestats "$regions" --reference "$bam" --targetDepth=30 --url)
best varkit "$runs" "$varkit" writetxt "$url" "$work/varkit.txt"
best peer "$runs" bash -c 'samtools bedcov -j -d 30 "$1" "$2" >"$3"' _ "$regions" "$bam" "$work/bedcov.txt"

# Mean depth and target count per region, from each.
differences=$(paste <(tail -n +2 "$work/varkit.txt" | cut -f4,5,10) "$work/bedcov.txt" |
    awk -F'\t' '{ mean = $7 / $1; if (mean - $2 > 1e-3 * (mean + 1) || $2 - mean > 1e-3 * (mean + 1) || $3 != $8) n++ }
                END { print n + 0 }')
ratioWall=$(ratio "$varkitWall" "$peerWall")
printf "varkit coveragestats to text %6.2f s (cpu %6.2f s, %4s MB)\n" "$varkitWall" "$varkitCpu" "$varkitPeak"
printf "samtools bedcov -j -d 30     %6.2f s (cpu %6.2f s, %4s MB)\n" "$peerWall" "$peerCpu" "$peerPeak"
printf "ratio %s (bar 1.5: %s); regions that differ: %s\n" "$ratioWall" "$(verdict "$ratioWall" 1.5)" "$differences"
