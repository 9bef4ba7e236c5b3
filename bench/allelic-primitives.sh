#!/usr/bin/env bash
# Allelic primitives benchmark: `transform allelicprimitives` written to VCF next to
# `vcfallelicprimitives` (Debian libvcflib-tools), both keeping INFO and sample fields, on a generated
# VCF where every third record is a complex substitution or an MNP (bench/make-primitives-vcf.py).
#
#   bench/allelic-primitives.sh [build-dir] [records] [samples] [runs]
#
# Prints wall time, CPU time and peak memory of each (the best of `runs`, default 3), the ratio and
# the check against the bar: varkit <= 0.5x vcfallelicprimitives.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-10}
runs=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
varkit="$build/varkit"
# The copy scripts/fetch-corpus.sh unpacks (make test fetches it), else an installed one.
peer_tool="$build/corpus/bin/vcfallelicprimitives"
[ -x "$peer_tool" ] || peer_tool=$(command -v vcfallelicprimitives || true)
if [ -z "$peer_tool" ]; then
    echo "vcfallelicprimitives not found: run scripts/fetch-corpus.sh $build (Debian libvcflib-tools)" >&2
    exit 1
fi

data="$build/bench-data"
vcf="$data/primitives-${records}x${samples}.vcf.gz"
if [ ! -f "$vcf.tbi" ]; then
    mkdir -p "$data"
    python3 "$here/make-primitives-vcf.py" --records "$records" --samples "$samples" --out "$vcf"
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-primitives-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
bgzip -dc "$vcf" >"$work/in.vcf"

echo "$(basename "$vcf"): $(size "$vcf") bytes, $(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"
url=$("$varkit" transform allelicprimitives "$vcf" --keepInfo --keepGeno --url)
best ours "$runs" "$varkit" writevcf "$url" "$work/ours.vcf"
best peer "$runs" sh -c '"$1" -k -g "$2" >"$3"' peer "$peer_tool" "$work/in.vcf" "$work/theirs.vcf"

r=$(ratio "$oursWall" "$peerWall")
printf "allelicprimitives  varkit %6.2f s (cpu %6.2f s, %4s MB)   vcfallelicprimitives %6.2f s (cpu %6.2f s, %4s MB)\n" \
    "$oursWall" "$oursCpu" "$oursPeak" "$peerWall" "$peerCpu" "$peerPeak"
printf "                   wall ratio %s (bar 0.5: %s); records %s in, %s out (vcfallelicprimitives %s)\n" "$r" \
    "$(verdict "$r" 0.5)" "$records" "$(grep -vc '^#' "$work/ours.vcf")" "$(grep -vc '^#' "$work/theirs.vcf")"
