#!/usr/bin/env python3
"""Writes a sites-only annotation VCF for a benchmark VCF: bgzip-compressed, sorted, tabix-indexed.

    make-bench-db.py --vcf bench.vcf.gz --out db.vcf.gz [--between 4] [--extra-alt 0.2] [--seed 1]

Every site of the VCF is kept (CHROM, POS, ID, REF, ALT), a fraction of them with one more
alternate allele, and --between random single-base sites are laid between each two of its sites
on a chromosome. Each record gets INFO/AF with one random frequency per alternate allele.
"""

import argparse
import gzip
import random
import re
import subprocess
import sys

CONTIG = re.compile(r"##contig=<ID=([^,>]+),length=(\d+)")
BASES = "ACGT"


def read_sites(path):
    """Returns (contig header lines, sites); a site is (chromosome, position, id, ref, alts)."""
    contigs, sites = [], []
    with gzip.open(path, "rt") as vcf:
        for line in vcf:
            if line.startswith("##contig="):
                contigs.append(line.rstrip("\n"))
            elif not line.startswith("#"):
                chrom, pos, rid, ref, alt = line.split("\t", 5)[:5]
                sites.append((chrom, int(pos), rid, ref, [] if alt == "." else alt.split(",")))
    return contigs, sites


def with_extra_alt(rng, ref, alts):
    candidates = [b for b in BASES if b != ref and b not in alts] if len(ref) == 1 else [ref[0]]
    candidates = [c for c in candidates if c not in alts]
    return alts + [rng.choice(candidates)] if candidates else alts


def record(rng, chrom, pos, rid, ref, alts):
    af = ",".join(f"{rng.random():.4f}" for _ in alts) or "."
    return f"{chrom}\t{pos}\t{rid}\t{ref}\t{','.join(alts) or '.'}\t.\t.\tAF={af}"


def records(rng, sites, between, extra_alt):
    for i, (chrom, pos, rid, ref, alts) in enumerate(sites):
        if alts and rng.random() < extra_alt:
            alts = with_extra_alt(rng, ref, alts)
        yield record(rng, chrom, pos, rid, ref, alts)
        following = sites[i + 1] if i + 1 < len(sites) else None
        if following is None or following[0] != chrom:
            continue
        first, last = pos + len(ref), following[1] - 1
        if last < first:
            continue
        for position in sorted(rng.sample(range(first, last + 1), min(between, last - first + 1))):
            base = rng.choice(BASES)
            yield record(rng, chrom, position, ".", base, [rng.choice([b for b in BASES if b != base])])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--vcf", required=True, help="the benchmark VCF (bgzip)")
    parser.add_argument("--out", required=True, help="output .vcf.gz; its .tbi is written beside it")
    parser.add_argument("--between", type=int, default=4, help="random sites between two sites")
    parser.add_argument("--extra-alt", type=float, default=0.2, help="fraction of sites given one more alternate")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    contigs, sites = read_sites(args.vcf)
    if not sites:
        sys.exit(f"make-bench-db: no records in {args.vcf}")
    header = ["##fileformat=VCFv4.2", *contigs,
              '##INFO=<ID=AF,Number=A,Type=Float,Description="Allele frequency">',
              "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO"]
    rng = random.Random(args.seed)
    with open(args.out, "wb") as out:
        bgzip = subprocess.Popen(["bgzip", "-c"], stdin=subprocess.PIPE, stdout=out)
        bgzip.stdin.write(("\n".join(header) + "\n").encode())
        batch = []
        for line in records(rng, sites, args.between, args.extra_alt):
            batch.append(line)
            if len(batch) == 10000:
                bgzip.stdin.write(("\n".join(batch) + "\n").encode())
                batch.clear()
        bgzip.stdin.write(("\n".join(batch) + "\n").encode() if batch else b"")
        bgzip.stdin.close()
        if bgzip.wait() != 0:
            sys.exit("make-bench-db: bgzip failed")
    subprocess.run(["tabix", "-f", "-p", "vcf", args.out], check=True)


if __name__ == "__main__":
    main()
