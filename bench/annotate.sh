#!/usr/bin/env bash
# Annotation benchmark, all in one run on the same generated files:
#   - `annotate region` of the VCF with a sorted BED of 50,000 overlapping regions (lengths 1 to
#     100,000, bench/make-bench-regions.py) written to TSF, next to `bedtools intersect -loj` (the
#     same one record per match) and, for scale, `bedtools intersect -c`;
#   - `annotate variant` of the VCF with a sites-only VCF.gz of about 500,000 records (every site,
#     some with one more alternate, random sites between; bench/make-variant-db.py, the file
#     bench/annotate-variant.sh uses) written to TSF, next to `bcftools annotate -a db.vcf.gz -c
#     INFO/AF` writing VCF;
#   - both joins read as a URL by writevcf, next to their TSF form.
#
#   bench/annotate.sh [build-dir] [records] [samples] [runs]
#
# Prints wall time, CPU time and peak memory of each job (the best of `runs`, default 1: the region
# join writes about 1.5 million records) and checks the bars: region <= 1.0x bedtools -loj with a
# peak <= 300 MB, variant <= 1.0x bcftools annotate, each URL form <= 1.0x its TSF form. Outputs go
# to a temporary folder (several GB for the region join); set TMPDIR to choose where.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runs=${4:-1}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
vcf=$(bench_vcf "$build" "${2:-100000}" "${3:-100}")
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-annotate-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"

regions="${vcf%.vcf.gz}.regions.bed"
[ -f "$regions" ] || python3 "$here/make-bench-regions.py" --vcf "$vcf" --out "$regions"
db="${vcf%.vcf.gz}.variant-db.vcf.gz"
[ -f "$db.tbi" ] || python3 "$here/make-variant-db.py" --vcf "$vcf" --out "$db"
# annotate writes beside its input: a link puts the output in the work folder.
ln -s "$vcf" "$work/in.vcf.gz"
ln -s "$vcf.tbi" "$work/in.vcf.gz.tbi"
input="$work/in.vcf.gz"

# into <file> <command...>: the command with its standard output in the file.
into() {
    local file=$1
    shift
    rm -f "$file"
    exec "$@" >"$file"
}
# replacing <file> <command...>: the command that writes the file, after removing the file of an
# earlier run (which a TSF writer would keep as .conflicting); its standard output discarded.
replacing() {
    local file=$1
    shift
    rm -f "$file" "$file.conflicting"
    exec "$@" >/dev/null
}
export -f into replacing

echo "$(basename "$vcf"): $(size "$vcf") bytes; $(wc -l <"$regions") regions; db $(size "$db") bytes;" \
    "$(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"

regionTsf="$work/in.vcf_$(basename "$regions" .bed)_region.tsf"
best region "$runs" bash -c 'replacing "$@"' _ "$regionTsf" "$varkit" annotate region "$input" "$regions"
best loj "$runs" bash -c 'into "$@"' _ "$work/loj.txt" bedtools intersect -loj -a "$input" -b "$regions"
best count "$runs" bash -c 'into "$@"' _ "$work/count.txt" bedtools intersect -c -a "$input" -b "$regions"
regionUrl=$("$varkit" annotate region "$input" "$regions" --url)
best regionVcf "$runs" bash -c 'replacing "$@"' _ "$work/region.vcf" "$varkit" writevcf "$regionUrl" "$work/region.vcf"

records=$(grep -vc '^#' "$work/region.vcf" || true)
lojRatio=$(ratio "$regionWall" "$lojWall")
printf "region    varkit to TSF %6.2f s (cpu %6.2f s, %4s MB), %s records, %s bytes\n" \
    "$regionWall" "$regionCpu" "$regionPeak" "$records" "$(size "$regionTsf")"
printf "          bedtools -loj %6.2f s (cpu %6.2f s, %4s MB); -c %6.2f s\n" "$lojWall" "$lojCpu" "$lojPeak" "$countWall"
printf "          ratio to -loj %s (bar 1.0: %s), peak %s MB (bar 300: %s); ratio to -c %s\n" "$lojRatio" \
    "$(verdict "$lojRatio" 1.0)" "$regionPeak" "$(verdict "$regionPeak" 300)" "$(ratio "$regionWall" "$countWall")"
urlRatio=$(ratio "$regionVcfWall" "$regionWall")
printf "          as a URL to VCF %6.2f s (cpu %6.2f s, %4s MB): ratio to TSF %s (bar 1.0: %s), to -loj %s\n" \
    "$regionVcfWall" "$regionVcfCpu" "$regionVcfPeak" "$urlRatio" "$(verdict "$urlRatio" 1.0)" \
    "$(ratio "$regionVcfWall" "$lojWall")"
rm -f "$work/region.vcf" "$work/loj.txt" "$regionTsf"

variantTsf="$work/in.vcf_$(basename "$db" .gz)_variant.tsf"
best variant "$runs" bash -c 'replacing "$@"' _ "$variantTsf" "$varkit" annotate variant "$input" "$db"
best peer "$runs" bcftools annotate -a "$db" -c INFO/AF -Ov -o "$work/peer.vcf" "$input"
variantUrl=$("$varkit" annotate variant "$input" "$db" --url)
best variantVcf "$runs" bash -c 'replacing "$@"' _ "$work/variant.vcf" "$varkit" writevcf "$variantUrl" "$work/variant.vcf"

variantRatio=$(ratio "$variantWall" "$peerWall")
printf "variant   varkit to TSF %6.2f s (cpu %6.2f s, %4s MB); bcftools annotate %6.2f s (cpu %6.2f s, %4s MB)\n" \
    "$variantWall" "$variantCpu" "$variantPeak" "$peerWall" "$peerCpu" "$peerPeak"
printf "          ratio %s (bar 1.0: %s)\n" "$variantRatio" "$(verdict "$variantRatio" 1.0)"
urlRatio=$(ratio "$variantVcfWall" "$variantWall")
printf "          as a URL to VCF %6.2f s (cpu %6.2f s, %4s MB): ratio to TSF %s (bar 1.0: %s), to bcftools %s\n" \
    "$variantVcfWall" "$variantVcfCpu" "$variantVcfPeak" "$urlRatio" "$(verdict "$urlRatio" 1.0)" \
    "$(ratio "$variantVcfWall" "$peerWall")"
