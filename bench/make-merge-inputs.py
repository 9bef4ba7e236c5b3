#!/usr/bin/env python3
"""Writes the inputs of the merge benchmark from one generated VCF, bgzip-compressed and indexed.

    make-merge-inputs.py --vcf bench.vcf.gz --out-prefix dir/in [--count 4] [--keep 0.75] [--seed 1]

Input i keeps each record with probability --keep, so sites overlap between inputs without being
all the same; one kept SNV in ten gets another alternate base (the reference stays), so merged
sites gain alternates and their per-allele and per-genotype values must be re-indexed. Samples are
renamed "in<i>_<name>" so that the inputs' samples are distinct. Writes <prefix><i>.vcf.gz and
prints their paths.
"""

import argparse
import gzip
import random
import subprocess

BASES = "ACGT"


def other_base(ref, alt, rng):
    return rng.choice([b for b in BASES if b not in (ref, alt)])


def write_input(source, path, index, keep, seed):
    rng = random.Random(seed * 1000 + index)
    prefix = "in%d_" % index
    with gzip.open(source, "rt") as f, open(path[:-3], "w") as out:
        for line in f:
            if line.startswith("##"):
                out.write(line)
                continue
            columns = line.rstrip("\n").split("\t")
            if line.startswith("#"):
                out.write("\t".join(columns[:9] + [prefix + s for s in columns[9:]]) + "\n")
                continue
            if rng.random() >= keep:
                continue
            ref, alt = columns[3], columns[4]
            if len(ref) == 1 and len(alt) == 1 and rng.random() < 0.1:
                columns[4] = other_base(ref, alt, rng)
            out.write("\t".join(columns) + "\n")
    subprocess.run(["bgzip", "-f", path[:-3]], check=True)
    subprocess.run(["tabix", "-f", "-p", "vcf", path], check=True)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vcf", required=True)
    parser.add_argument("--out-prefix", required=True)
    parser.add_argument("--count", type=int, default=4)
    parser.add_argument("--keep", type=float, default=0.75)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    for i in range(1, args.count + 1):
        path = "%s%d.vcf.gz" % (args.out_prefix, i)
        write_input(args.vcf, path, i, args.keep, args.seed)
        print(path)


if __name__ == "__main__":
    main()
