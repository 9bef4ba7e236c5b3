#!/usr/bin/env bash
# VCF reading benchmark: varkit reading every feature with all fields through VkReader
# (vcf_read_bench) against `bcftools view -Ob -o /dev/null`, on the same generated file in one run.
#
#   bench/vcf-read.sh [build-dir] [records] [samples] [runs]
#
# The file (bench/make-bench-vcf.py, default 100,000 records x 100 samples) is kept in
# <build-dir>/bench-data. Each tool runs `runs` times (default 3) and the fastest run of each counts, so a busy machine disturbs the comparison less. Prints the wall times, the peak
# memory and the ratio (varkit / bcftools), and exits with 1 when the bar is missed: ratio <= 1.0
# and peak memory <= 200 MB.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-100}
runs=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
source "$here/bench-lib.sh"
reader="$build/bench/vcf_read_bench"
[ -x "$reader" ] || { echo "vcf-read: build $reader first (cmake --build $build)" >&2; exit 1; }
vcf=$(bench_vcf "$build" "$records" "$samples")

best ours "$runs" "$reader" "$vcf"
best theirs "$runs" bcftools view -Ob -o /dev/null "$vcf"
ours=$oursWall ourCpu=$oursCpu ourPeak=$oursPeak
theirs=$theirsWall theirCpu=$theirsCpu theirPeak=$theirsPeak

ratio=$(ratio "$ours" "$theirs")
echo "$records records x $samples samples, best of $runs runs ($(nproc) cores)"
printf "varkit (VkReader, all fields)  %7.2f s wall %7.2f s CPU %5s MB\n" "$ours" "$ourCpu" "$ourPeak"
printf "bcftools view -Ob -o /dev/null %7.2f s wall %7.2f s CPU %5s MB\n" "$theirs" "$theirCpu" "$theirPeak"
echo "ratio $ratio (bar: <= 1.0), CPU ratio $(ratio "$ourCpu" "$theirCpu")," \
    "peak $ourPeak MB (bar: <= 200 MB)"
awk -v r="$ratio" -v m="$ourPeak" 'BEGIN {exit !(r <= 1.0 && m <= 200)}'
