#!/usr/bin/env python3
"""Writes a sorted BED of random, overlapping regions on the chromosomes of a VCF, for benchmarks.

    make-bench-regions.py --vcf bench.vcf.gz --regions 50000 --max-length 100000 --out regions.bed [--seed 1]

Chromosomes and their lengths come from the VCF's ##contig lines. Each region lands on a chromosome
in proportion to its length, at a uniform start, with a length uniform from 1 to --max-length; the
fourth column names it. The output is the same for the same seed and VCF header.
"""

import argparse
import gzip
import random
import re
import sys

CONTIG = re.compile(r"##contig=<ID=([^,>]+),length=(\d+)")


def contigs(path):
    found = []
    with gzip.open(path, "rt") as vcf:
        for line in vcf:
            if not line.startswith("##"):
                break
            match = CONTIG.match(line)
            if match:
                found.append((match.group(1), int(match.group(2))))
    return found


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--vcf", required=True, help="bgzip VCF whose ##contig lines give the chromosomes")
    parser.add_argument("--regions", type=int, default=50000)
    parser.add_argument("--max-length", type=int, default=100000)
    parser.add_argument("--out", required=True)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    chromosomes = contigs(args.vcf)
    if not chromosomes or args.regions < 1 or args.max_length < 1:
        sys.exit("make-bench-regions: no ##contig lines with lengths, or a count below 1")
    rng = random.Random(args.seed)
    names = [name for name, _ in chromosomes]
    lengths = dict(chromosomes)
    regions = []
    for _ in range(args.regions):
        name = rng.choices(names, weights=[lengths[n] for n in names])[0]
        length = rng.randint(1, min(args.max_length, lengths[name]))
        start = rng.randrange(lengths[name] - length + 1)
        regions.append((names.index(name), start, start + length))
    regions.sort()
    with open(args.out, "w") as out:
        for i, (chromosome, start, stop) in enumerate(regions):
            out.write(f"{names[chromosome]}\t{start}\t{stop}\tregion{i + 1}\n")


if __name__ == "__main__":
    main()
