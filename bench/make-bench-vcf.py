#!/usr/bin/env python3
"""Writes a large, realistic VCF for benchmarks: bgzip-compressed, sorted, with its tabix index.

    make-bench-vcf.py --records 100000 --samples 100 --out bench.vcf.gz [--seed 1] [--template FILE]

The sites (REF, ALT, QUAL, FILTER, INFO) are taken in turn from a real VCF, the template (by
default examples/example.vcf; any corpus VCF from scripts/fetch-corpus.sh works), and laid on
chromosomes 20, 21 and 22 at increasing positions. Every sample gets GT:AD:DP:GQ:PL with AD of one
value per allele, DP the sum of AD and PL of one value per genotype, so multi-allelic sites stay
consistent. Sample columns are drawn from pre-built pools per allele count, which keeps
100,000 x 100 to a few seconds; the output is the same for the same seed and template.
"""

import argparse
import gzip
import random
import subprocess
import sys
from pathlib import Path

CHROMOSOMES = [("20", 63025520), ("21", 48129895), ("22", 51304566)]
FIRST_POSITION = 60001
MAX_ALLELES = 6
POOL_SIZE = 4096
BATCH_RECORDS = 2000
FORMAT_HEADER = [
    '##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">',
    '##FORMAT=<ID=AD,Number=R,Type=Integer,Description="Allelic depths for the REF and ALT alleles">',
    '##FORMAT=<ID=DP,Number=1,Type=Integer,Description="Read depth">',
    '##FORMAT=<ID=GQ,Number=1,Type=Integer,Description="Genotype quality">',
    '##FORMAT=<ID=PL,Number=G,Type=Integer,Description="Phred-scaled genotype likelihoods">',
]
KEPT_HEADER_PREFIXES = ("##INFO=", "##FILTER=", "##ALT=", "##reference=")


def open_text(path):
    with open(path, "rb") as probe:
        gzipped = probe.read(2) == b"\x1f\x8b"
    return gzip.open(path, "rt") if gzipped else open(path, "rt")


def header_id(line):
    start = line.index("ID=") + 3
    end = min(i for i in (line.find(",", start), line.find(">", start), len(line)) if i >= 0)
    return line[start:end]


def read_template(path):
    """Returns (fileformat, kept header lines, sample names, sites); a site is its columns 4 to 8."""
    fileformat, header, samples, sites = "##fileformat=VCFv4.2", [], [], []
    info_ids, filter_ids = set(), {"PASS"}
    with open_text(path) as f:
        for line in f:
            line = line.rstrip("\r\n")
            if line.startswith("##fileformat="):
                fileformat = line
            elif line.startswith(KEPT_HEADER_PREFIXES):
                header.append(line)
                if line.startswith("##INFO="):
                    info_ids.add(header_id(line))
                elif line.startswith("##FILTER="):
                    filter_ids.add(header_id(line))
            elif line.startswith("#CHROM"):
                samples = line.split("\t")[9:]
            elif line and not line.startswith("#"):
                site = clean_site(line.split("\t"), info_ids, filter_ids)
                if site:
                    sites.append(site)
    return fileformat, header, samples, sites


def clean_site(cols, info_ids, filter_ids):
    """Drops what the new header would not define, so bcftools reads the output without warnings."""
    if len(cols) < 8 or cols[4] == "*":
        return None
    ref, alt, qual, filt, info = cols[3], cols[4], cols[5], cols[6], cols[7]
    if len(alt.split(",")) + 1 > MAX_ALLELES or not ref.isalpha():
        return None
    if any(f not in filter_ids for f in filt.split(";")):
        filt = "."
    kept = [kv for kv in info.split(";") if kv.split("=", 1)[0] in info_ids]
    return ref, alt, qual, filt, ";".join(kept) or "."


def genotype_order(n_alleles):
    return [(j, i) for i in range(n_alleles) for j in range(i + 1)]


def sample_value(rng, n_alleles, genotypes):
    """One consistent GT:AD:DP:GQ:PL value."""
    roll = rng.random()
    if roll < 0.02:
        return "./.:" + ",".join(["."] * n_alleles) + ":.:.:" + ",".join(["."] * len(genotypes))
    alt = rng.randrange(1, n_alleles) if n_alleles > 1 else 0
    a, b = (0, 0) if roll < 0.6 else (0, alt) if roll < 0.9 else (alt, alt)
    depth = rng.randint(4, 60)
    ad = [0] * n_alleles
    errors = sum(1 for _ in range(depth) if rng.random() < 0.02)
    for _ in range(depth - errors):
        ad[a if rng.random() < 0.5 else b] += 1
    for _ in range(errors):
        ad[rng.randrange(n_alleles)] += 1
    raw = []
    for x, y in genotypes:
        support = ad[x] + (ad[y] if y != x else 0)
        raw.append(10 * (depth - support) + (3 * depth if x != y else 0) // 2)
    best = min(raw)
    pl = [min(v - best, 2000) for v in raw]
    if pl[genotypes.index((a, b))] != 0:
        pl = [min(v + 1, 2000) for v in pl]
        pl[genotypes.index((a, b))] = 0
    gq = min(99, sorted(pl)[1]) if len(pl) > 1 else 99
    sep = "|" if rng.random() < 0.1 else "/"
    return f"{a}{sep}{b}:{','.join(map(str, ad))}:{depth}:{gq}:{','.join(map(str, pl))}"


class SamplePools:
    """Pre-built sample values per allele count, built on first use."""

    def __init__(self, rng):
        self.rng = rng
        self.pools = {}

    def row(self, n_alleles, samples):
        pool = self.pools.get(n_alleles)
        if pool is None:
            genotypes = genotype_order(n_alleles)
            pool = [sample_value(self.rng, n_alleles, genotypes) for _ in range(POOL_SIZE)]
            self.pools[n_alleles] = pool
        return "\t".join(self.rng.choices(pool, k=samples))


def records(rng, sites, n_records, n_samples, prefix):
    pools = SamplePools(rng)
    per_chrom = -(-n_records // len(CHROMOSOMES))
    written = 0
    for name, length in CHROMOSOMES:
        count = min(per_chrom, n_records - written)
        mean_step = max(1, (length * 9 // 10 - FIRST_POSITION) // max(count, 1))
        pos = FIRST_POSITION
        for _ in range(count):
            ref, alt, qual, filt, info = sites[written % len(sites)]
            rid = f"rs{1000000 + written}" if written % 2 == 0 else "."
            n_alleles = 1 if alt == "." else len(alt.split(",")) + 1
            yield (f"{prefix}{name}\t{pos}\t{rid}\t{ref}\t{alt}\t{qual}\t{filt}\t{info}\tGT:AD:DP:GQ:PL\t"
                   + pools.row(n_alleles, n_samples))
            pos += 1 + rng.randrange(2 * mean_step - 1) if mean_step > 1 else 1
            written += 1


def write(args, fileformat, header, samples, sites):
    prefix = "chr" if args.chr_prefix else ""
    names = (samples + [f"S{i:05d}" for i in range(1, args.samples + 1)])[: args.samples]
    names = [n if names.count(n) == 1 else f"{n}_{i}" for i, n in enumerate(names)]
    lines = [fileformat, *header]
    lines += [f"##contig=<ID={prefix}{n},length={l},assembly=b37>" for n, l in CHROMOSOMES]
    lines += FORMAT_HEADER
    lines.append("\t".join(["#CHROM", "POS", "ID", "REF", "ALT", "QUAL", "FILTER", "INFO", "FORMAT"] + names))
    rng = random.Random(args.seed)
    with open(args.out, "wb") as out:
        bgzip = subprocess.Popen(["bgzip", "-@2", "-c"], stdin=subprocess.PIPE, stdout=out)
        bgzip.stdin.write(("\n".join(lines) + "\n").encode())
        batch = []
        for line in records(rng, sites, args.records, args.samples, prefix):
            batch.append(line)
            if len(batch) == BATCH_RECORDS:
                bgzip.stdin.write(("\n".join(batch) + "\n").encode())
                batch.clear()
        if batch:
            bgzip.stdin.write(("\n".join(batch) + "\n").encode())
        bgzip.stdin.close()
        if bgzip.wait() != 0:
            sys.exit("make-bench-vcf: bgzip failed")
    subprocess.run(["tabix", "-f", "-p", "vcf", args.out], check=True)


def main():
    default_template = Path(__file__).resolve().parent.parent / "examples" / "example.vcf"
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--samples", type=int, default=100)
    parser.add_argument("--out", required=True, help="output .vcf.gz; its .tbi is written beside it")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--template", default=str(default_template), help="VCF (plain or gzip) to take sites from")
    parser.add_argument("--chr-prefix", action="store_true", help='name the chromosomes "chr20" ... ')
    args = parser.parse_args()
    if args.records < 1 or args.samples < 1:
        sys.exit("make-bench-vcf: --records and --samples must be positive")
    fileformat, header, samples, sites = read_template(args.template)
    if not sites:
        sys.exit(f"make-bench-vcf: no usable records in {args.template}")
    write(args, fileformat, header, samples, sites)


if __name__ == "__main__":
    main()
