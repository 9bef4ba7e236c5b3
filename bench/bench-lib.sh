# Shared by the benchmark scripts (sourced): the generated input, timing and ratios.
#
# bench_vcf <build-dir> <records> <samples>: prints the path of a tabix-indexed generated VCF
# (bench/make-bench-vcf.py), made once and kept in <build-dir>/bench-data; VCF=<file> overrides it.
bench_vcf() {
    if [ -n "${VCF:-}" ]; then
        echo "$VCF"
        return
    fi
    local data="$1/bench-data"
    local vcf="$data/bench-${2}x${3}.vcf.gz"
    if [ ! -f "$vcf.tbi" ]; then
        mkdir -p "$data"
        python3 "$(dirname "${BASH_SOURCE[0]}")/make-bench-vcf.py" --records "$2" --samples "$3" --out "$vcf" >/dev/null
        tabix -f -p vcf "$vcf"
    fi
    echo "$vcf"
}

# measure <command...>: runs it under /usr/bin/time with its output discarded; sets WALL (seconds),
# CPU (user + system seconds) and PEAK_MB. A failing command ends the script with its messages.
measure() {
    local log
    # What earlier jobs wrote is flushed first, so that no job pays for another's writeback.
    sync
    log=$(mktemp "${TMPDIR:-/tmp}/bench-time.XXXXXX")
    # Wall time from the clock in nanoseconds: time's own is in hundredths, too coarse for jobs of
    # tens of milliseconds.
    local began ended
    began=$(date +%s%N)
    if ! /usr/bin/time -f "%e %U %S %M" -o "$log" "$@" >"$log.out" 2>"$log.err"; then
        cat "$log.err" >&2
        rm -f "$log" "$log.out" "$log.err"
        exit 1
    fi
    ended=$(date +%s%N)
    local user system kb
    read -r WALL user system kb <"$log"
    WALL=$(awk -v a="$began" -v b="$ended" 'BEGIN {printf "%.3f", (b - a) / 1e9}')
    CPU=$(awk -v u="$user" -v s="$system" 'BEGIN {print u + s}')
    PEAK_MB=$(awk -v k="$kb" 'BEGIN {printf "%.0f", k / 1024}')
    MEASURED_OUTPUT=$(cat "$log.out")
    rm -f "$log" "$log.out" "$log.err"
}

# best <name> <runs> <command...>: the fastest of several runs sets <name>Wall, <name>Cpu and
# <name>Peak; on a shared machine the slower runs measure the neighbours.
best() {
    local name=$1 runs=$2
    shift 2
    local bestWall="" bestCpu="" bestPeak=""
    for ((run = 0; run < runs; run++)); do
        measure "$@"
        if [ -z "$bestWall" ] || awk -v a="$WALL" -v b="$bestWall" 'BEGIN {exit !(a < b)}'; then
            bestWall=$WALL bestCpu=$CPU bestPeak=$PEAK_MB
        fi
    done
    printf -v "${name}Wall" '%s' "$bestWall"
    printf -v "${name}Cpu" '%s' "$bestCpu"
    printf -v "${name}Peak" '%s' "$bestPeak"
}

# keep_best <name>: after a measure, keeps its WALL, CPU and PEAK_MB as <name>Wall, <name>Cpu and
# <name>Peak when it is the fastest so far; alternating the runs of two jobs this way spreads the
# neighbours' load over both.
keep_best() {
    local wall="${1}Wall"
    if [ -z "${!wall:-}" ] || awk -v a="$WALL" -v b="${!wall}" 'BEGIN {exit !(a < b)}'; then
        printf -v "${1}Wall" '%s' "$WALL"
        printf -v "${1}Cpu" '%s' "$CPU"
        printf -v "${1}Peak" '%s' "$PEAK_MB"
    fi
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }
verdict() { awk -v r="$1" -v bar="$2" 'BEGIN {print (r <= bar) ? "ok" : "over the bar"}'; }
size() { stat -c %s "$1"; }
