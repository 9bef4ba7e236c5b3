#!/usr/bin/env bash
# varkit's main job on the example data: VCF to TSF, the TSF's schema, and TSF back to VCF.
set -euo pipefail
build=${1:-build}
varkit="$(cd "$build" && pwd)/varkit"
examples="$(cd "$(dirname "$0")/../examples" && pwd)"
scratch=$(mktemp -d "${TMPDIR:-/tmp}/varkit-demo.XXXXXX")
trap 'rm -rf "$scratch"' EXIT

echo "== varkit writetsf example.vcf.gz trio.tsf"
"$varkit" writetsf "$examples/example.vcf.gz" "$scratch/trio.tsf"
echo
echo "== varkit schema trio.tsf"
"$varkit" schema "$scratch/trio.tsf"
echo
echo "== varkit writevcf trio.tsf trio.vcf"
"$varkit" writevcf "$scratch/trio.tsf" "$scratch/trio.vcf"
echo
echo "== first records of trio.vcf"
grep -v '^##' "$scratch/trio.vcf" | head -n 4 | cut -c 1-150
