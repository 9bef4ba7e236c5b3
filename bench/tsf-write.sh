#!/usr/bin/env bash
# TSF writer benchmark: the generated VCF written to TSF next to `bcftools view -Ob` in one run,
# then the whole TSF read back through VkReader next to the VCF itself.
#
#   bench/tsf-write.sh [build-dir] [records] [samples]
#
# Set VCF=<file.vcf.gz> to use an existing file instead of generating one. Prints the wall time,
# CPU time and peak memory of each job, the ratios and the file sizes, and checks them against the
# bars: write <= 1.5x bcftools, TSF <= 1.0x the BCF, peak <= 500 MB, read <= 0.5x the VCF read.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
records=${2:-100000}
samples=${3:-100}
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/varkit-tsf-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
varkit="$build/varkit"
reader="$build/bench/source_read_bench"

vcf=${VCF:-}
if [ -z "$vcf" ]; then
    vcf="$work/bench.vcf.gz"
    python3 "$here/make-bench-vcf.py" --records "$records" --samples "$samples" --out "$vcf" >/dev/null
fi

# Runs a command under /usr/bin/time; sets WALL, CPU (user + system) and PEAK_MB.
measure() {
    local log="$work/time.log"
    /usr/bin/time -f "%e %U %S %M" -o "$log" "$@" >/dev/null 2>"$work/stderr.log" || {
        cat "$work/stderr.log" >&2
        exit 1
    }
    read -r WALL user system kb <"$log"
    CPU=$(awk -v u="$user" -v s="$system" 'BEGIN {print u + s}')
    PEAK_MB=$(awk -v k="$kb" 'BEGIN {printf "%.0f", k / 1024}')
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
verdict() { awk -v r="$1" -v bar="$2" 'BEGIN {print (r <= bar) ? "ok" : "over the bar"}'; }
size() { stat -c %s "$1"; }

echo "$(basename "$vcf"): $(size "$vcf") bytes, $(nproc) processors, load $(cut -d' ' -f1 /proc/loadavg)"

measure "$varkit" writetsf "$vcf" "$work/bench.tsf"
tsfWall=$WALL tsfCpu=$CPU tsfPeak=$PEAK_MB
measure bcftools view -Ob -o "$work/bench.bcf" "$vcf"
bcfWall=$WALL bcfCpu=$CPU bcfPeak=$PEAK_MB
writeRatio=$(ratio "$tsfWall" "$bcfWall")
printf "write  varkit writetsf %6.2f s (cpu %6.2f s, %4s MB)   bcftools view -Ob %6.2f s (cpu %6.2f s, %4s MB)\n" \
    "$tsfWall" "$tsfCpu" "$tsfPeak" "$bcfWall" "$bcfCpu" "$bcfPeak"
printf "       wall ratio %s (bar 1.5: %s), cpu ratio %s, peak %s MB (bar 500: %s)\n" "$writeRatio" \
    "$(verdict "$writeRatio" 1.5)" "$(ratio "$tsfCpu" "$bcfCpu")" "$tsfPeak" "$(verdict "$tsfPeak" 500)"

sizeRatio=$(ratio "$(size "$work/bench.tsf")" "$(size "$work/bench.bcf")")
printf "size   TSF %d bytes, BCF %d bytes, ratio %s (bar 1.0: %s)\n" "$(size "$work/bench.tsf")" \
    "$(size "$work/bench.bcf")" "$sizeRatio" "$(verdict "$sizeRatio" 1.0)"

measure "$reader" "$vcf"
vcfRead=$WALL
measure "$reader" "$work/bench.tsf"
tsfRead=$WALL
readRatio=$(ratio "$tsfRead" "$vcfRead")
printf "read   TSF %6.2f s, VCF %6.2f s through VkReader, ratio %s (bar 0.5: %s)\n" "$tsfRead" "$vcfRead" \
    "$readRatio" "$(verdict "$readRatio" 0.5)"
