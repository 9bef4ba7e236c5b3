#!/usr/bin/env bash
# Left alignment benchmark: `leftalign` next to `bcftools norm -f` on generated VCFs against a
# generated 50 Mb reference with homopolymers and tandem repeats (bench/make-leftalign-data.py):
# one where 30% of the records are indels, one where 70% are, the indels put inside the repeats.
#
#   bench/leftalign.sh [build-dir] [records] [samples] [runs]
#
# Prints wall time, CPU time and peak memory of each (the best of `runs`, default 3), the ratio,
# the check against the bars (varkit <= 1.5x bcftools with 30% indels, <= 2.0x with 70%, peak
# <= 200 MB) and whether both wrote the same positions and alleles.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-10}
runs=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
varkit="$build/varkit"

data="$build/bench-data/leftalign"
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-leftalign-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
alleles() { grep -v '^#' "$1" | cut -f1,2,4,5 | sort; }

echo "$(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"
for indels in 0.3 0.7; do
    vcf="$data/leftalign-${records}x${samples}-$(awk -v f="$indels" 'BEGIN {printf "%d", f * 100}').vcf"
    [ -f "$vcf" ] || python3 "$here/make-leftalign-data.py" --out-dir "$data" --records "$records" \
        --samples "$samples" --indels "$indels" >/dev/null
    [ -f "$data/ref/ref.fa.fai" ] || samtools faidx "$data/ref/ref.fa"
    best ours "$runs" "$varkit" leftalign "$vcf" --refFolder="$data/ref" "$work/ours.vcf"
    best peer "$runs" bcftools norm -f "$data/ref/ref.fa" -o "$work/theirs.vcf" "$vcf"
    bar=$(awk -v f="$indels" 'BEGIN {print (f < 0.5) ? 1.5 : 2.0}')
    r=$(ratio "$oursWall" "$peerWall")
    same=$(cmp -s <(alleles "$work/ours.vcf") <(alleles "$work/theirs.vcf") && echo same || echo DIFFERENT)
    printf "leftalign %2.0f%% indels  varkit %6.2f s (cpu %6.2f s, %4s MB)   bcftools norm %6.2f s (cpu %6.2f s, %4s MB)\n" \
        "$(awk -v f="$indels" 'BEGIN {print f * 100}')" "$oursWall" "$oursCpu" "$oursPeak" "$peerWall" "$peerCpu" "$peerPeak"
    printf "                   wall ratio %s (bar %s: %s), cpu ratio %s, peak %s; alleles %s\n" "$r" "$bar" \
        "$(verdict "$r" "$bar")" "$(ratio "$oursCpu" "$peerCpu")" \
        "$(awk -v p="$oursPeak" 'BEGIN {print (p <= 200) ? "ok" : "over 200 MB"}')" "$same"
done
