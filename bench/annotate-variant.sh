#!/usr/bin/env bash
# Variant join benchmark: the generated VCF annotated with a sites-only VCF of about five times as
# many records (bench/make-variant-db.py: every site, some with an extra alternate, and random
# sites between them) through the annotateVariant transform, written to TSF and to VCF, next to
# `bcftools annotate -a db.vcf.gz -c INFO/AF` writing VCF, and next to writing the input alone to TSF
# (what the join adds is the difference). All in one run on the same files.
#
#   bench/annotate-variant.sh [build-dir] [records] [samples] [runs]
#
# Prints wall time, CPU time and peak memory of each job (the best of `runs`, default 3) and the
# ratios to bcftools, checked against the bar of 1.0.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
vcf=$(bench_vcf "$build" "${2:-100000}" "${3:-100}")
db="${vcf%.vcf.gz}.variant-db.vcf.gz"
[ -f "$db.tbi" ] || python3 "$here/make-variant-db.py" --vcf "$vcf" --out "$db"
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-annotate-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"
url="transform://annotateVariant/json/ {\"fields\":{\"sourceUrls\":[\"$vcf\",\"$db\"],\"outputFieldList\":[\"AF\"]}}"

echo "$(basename "$vcf") against $(bgzip -dc "$db" | grep -vc '^#') annotation records," \
    "$(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"
best tsf "$runs" "$varkit" writetsf "$url" "$work/joined.tsf"
best vcf "$runs" "$varkit" writevcf "$url" "$work/joined.vcf"
best peer "$runs" bcftools annotate -a "$db" -c INFO/AF -Ov -o "$work/bcftools.vcf" "$vcf"
best input "$runs" "$varkit" writetsf "$vcf" "$work/input.tsf"

row() {
    printf "%-28s %6.2f s (cpu %6.2f s, %4s MB)" "$1" "$2" "$3" "$4"
    [ -z "${5:-}" ] || printf "   ratio %s (bar 1.0: %s)" "$5" "$(verdict "$5" 1.0)"
    printf "\n"
}
row "bcftools annotate -> VCF" "$peerWall" "$peerCpu" "$peerPeak"
row "annotateVariant -> TSF" "$tsfWall" "$tsfCpu" "$tsfPeak" "$(ratio "$tsfWall" "$peerWall")"
row "annotateVariant -> VCF" "$vcfWall" "$vcfCpu" "$vcfPeak" "$(ratio "$vcfWall" "$peerWall")"
row "input alone -> TSF" "$inputWall" "$inputCpu" "$inputPeak"
