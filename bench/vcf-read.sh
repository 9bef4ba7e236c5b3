#!/usr/bin/env bash
# VCF reading benchmark: varkit reading every feature with all fields through VkReader
# (vcf_read_bench) against `bcftools view -Ob -o /dev/null`, on the same generated file in one run.
#
#   bench/vcf-read.sh [build-dir] [records] [samples] [runs]
#
# The file (bench/make-bench-vcf.py, default 100,000 records x 100 samples) is kept in
# <build-dir>/bench-data. Each tool runs `runs` times (default 3), alternating, and the fastest run
# of each counts, so a busy machine disturbs the comparison less. Prints the wall times, the peak
# memory and the ratio (varkit / bcftools), and exits with 1 when the bar is missed: ratio <= 1.0
# and peak memory <= 200 MB.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-100}
runs=${4:-3}
here=$(cd "$(dirname "$0")" && pwd)
reader="$build/bench/vcf_read_bench"
[ -x "$reader" ] || { echo "vcf-read: build $reader first (cmake --build $build)" >&2; exit 1; }

data="$build/bench-data"
vcf="$data/bench-${records}x${samples}.vcf.gz"
if [ ! -f "$vcf.tbi" ]; then
    mkdir -p "$data"
    python3 "$here/make-bench-vcf.py" --records "$records" --samples "$samples" --out "$vcf" >/dev/null
fi
log=$(mktemp "${TMPDIR:-/tmp}/vcf-read.XXXXXX")
trap 'rm -f "$log"' EXIT

# Runs a command under /usr/bin/time; sets SECONDS_TAKEN (wall), CPU_TAKEN (user + system) and
# PEAK_MB.
measure() {
    /usr/bin/time -v "$@" >/dev/null 2>"$log" || { cat "$log" >&2; exit 1; }
    SECONDS_TAKEN=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, t, ":"); s = 0;
        for (i = 1; i <= n; i++) s = s * 60 + t[i]; print s}' "$log")
    CPU_TAKEN=$(awk -F': ' '/(User|System) time/ {s += $2} END {print s}' "$log")
    PEAK_MB=$(awk -F': ' '/Maximum resident set size/ {printf "%.0f", $2 / 1024}' "$log")
}

best() { awk -v a="$1" -v b="$2" 'BEGIN {print (b == "" || a < b) ? a : b}'; }

ours="" ourCpu="" ourPeak=0 theirs="" theirCpu="" theirPeak=0
for ((run = 1; run <= runs; run++)); do
    measure "$reader" "$vcf"
    ours=$(best "$SECONDS_TAKEN" "$ours")
    ourCpu=$(best "$CPU_TAKEN" "$ourCpu")
    ourPeak=$((PEAK_MB > ourPeak ? PEAK_MB : ourPeak))
    measure bcftools view -Ob -o /dev/null "$vcf"
    theirs=$(best "$SECONDS_TAKEN" "$theirs")
    theirCpu=$(best "$CPU_TAKEN" "$theirCpu")
    theirPeak=$((PEAK_MB > theirPeak ? PEAK_MB : theirPeak))
done

ratio=$(awk -v a="$ours" -v b="$theirs" 'BEGIN {printf "%.2f", a / b}')
echo "$records records x $samples samples, best of $runs runs ($(nproc) cores)"
printf "varkit (VkReader, all fields)  %7.2f s wall %7.2f s CPU %5s MB\n" "$ours" "$ourCpu" "$ourPeak"
printf "bcftools view -Ob -o /dev/null %7.2f s wall %7.2f s CPU %5s MB\n" "$theirs" "$theirCpu" "$theirPeak"
echo "ratio $ratio (bar: <= 1.0), CPU ratio $(awk -v a="$ourCpu" -v b="$theirCpu" 'BEGIN {printf "%.2f", a / b}')," \
    "peak $ourPeak MB (bar: <= 200 MB)"
awk -v r="$ratio" -v m="$ourPeak" 'BEGIN {exit !(r <= 1.0 && m <= 200)}'
