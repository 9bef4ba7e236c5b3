#!/usr/bin/env bash
# Transcript consequences against bcftools csq: a generated genome with <genes> planted transcripts
# on both strands and variants at and around every exon boundary and start and stop codon
# (bench/make-transcript-data.py, one data set per seed), annotated by annotate transcript from the
# GTF (written to VCF through its URL) and by `bcftools csq -l` from the GFF3 of the same
# transcripts. Prints the time and peak memory of both and the comparison of every
# variant-transcript pair's class (bench/compare-transcript-csq.py); exits 1 when a disagreement
# is unexplained. GTF=<annotation.gtf[.gz]> takes the transcripts of a real annotation instead
# (their structures on random chromosomes, open reading frames written into the coding ones).
#
#   bench/transcript-csq.sh [build-dir] [genes] [seeds...]
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
genes=${2:-200}
shift $(($# > 2 ? 2 : $#))
seeds=("${@:-1}")
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-transcript-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
status=0
for seed in "${seeds[@]}"; do
    data="$work/$seed"
    if [ -n "${GTF:-}" ]; then
        python3 "$here/make-transcript-data.py" "$data" --from-gtf "$GTF" "$seed"
        echo "seed $seed: the transcripts of $GTF, $(grep -vc '^#' "$data/calls.vcf") variants"
    else
        python3 "$here/make-transcript-data.py" "$data" "$genes" "$seed"
        echo "seed $seed: $genes genes, $(grep -vc '^#' "$data/calls.vcf") variants"
    fi
    url=$("$build/varkit" annotate transcript --referenceUrl="$data/genome.fa" "$data/calls.vcf" \
        "$data/transcripts.gtf" --url)
    best ours 1 "$build/varkit" writevcf "$url" "$data/varkit.vcf"
    best peer 1 bcftools csq -l -f "$data/genome.fa" -g "$data/transcripts.gff3" "$data/calls.vcf" -o "$data/csq.vcf"
    printf "annotate transcript -> VCF %6.2f s (%s MB); bcftools csq -l %6.2f s (%s MB)\n" \
        "$oursWall" "$oursPeak" "$peerWall" "$peerPeak"
    python3 "$here/compare-transcript-csq.py" "$data/calls.vcf" "$data/varkit.vcf" "$data/csq.vcf" || status=1
done
exit $status
