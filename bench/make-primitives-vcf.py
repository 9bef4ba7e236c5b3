#!/usr/bin/env python3
"""Writes a VCF for the allelic primitives benchmark: bgzip-compressed, sorted, with its tabix index.

    make-primitives-vcf.py --records 100000 --samples 10 --out primitives.vcf.gz [--seed 1]

Two records in three are SNVs or simple indels with the usual padding base; every third is a
complex substitution or an MNP of 2 to 12 bases, some with a second alternate, the records a caller
such as freebayes writes and allelic primitives splits. Each sample has a GT and a DP.
"""

import argparse
import random
import subprocess

BASES = "ACGT"


def bases(rng, length):
    return "".join(rng.choice(BASES) for _ in range(length))


def mutated(rng, ref):
    """A different allele of the same span with one to three changed bases and maybe a gap."""
    alt = list(ref)
    for _ in range(rng.randint(1, 3)):
        i = rng.randrange(1, len(alt))
        alt[i] = rng.choice(BASES.replace(alt[i], ""))
    if rng.random() < 0.4:
        i = rng.randrange(1, len(alt))
        if rng.random() < 0.5:
            alt.insert(i, bases(rng, rng.randint(1, 3)))
        else:
            del alt[i]
    text = "".join(alt)
    return text if text != ref else ref[0] + bases(rng, len(ref))


def site(rng, kind):
    if kind == 0:
        ref = bases(rng, rng.randint(3, 12))
        alts = [mutated(rng, ref)]
        if rng.random() < 0.3:
            alts.append(mutated(rng, ref))
        return ref, sorted(set(alts) - {ref}) or [ref[0]]
    ref = rng.choice(BASES)
    if kind == 1:
        return ref, [rng.choice(BASES.replace(ref, ""))]
    if rng.random() < 0.5:
        return ref, [ref + bases(rng, rng.randint(1, 4))]
    return ref + bases(rng, rng.randint(1, 4)), [ref]


def genotype(rng, alleles):
    calls = [rng.choice([0, 0, 0] + list(range(1, alleles))) for _ in range(2)]
    return "/".join(map(str, calls)) if rng.random() < 0.97 else "./."


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--samples", type=int, default=10)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    names = ["S%d" % i for i in range(1, args.samples + 1)]
    lines = [
        "##fileformat=VCFv4.2",
        "##contig=<ID=20,length=63025520>",
        '##INFO=<ID=DP,Number=1,Type=Integer,Description="Total depth">',
        '##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">',
        '##FORMAT=<ID=DP,Number=1,Type=Integer,Description="Read depth">',
        "\t".join(["#CHROM", "POS", "ID", "REF", "ALT", "QUAL", "FILTER", "INFO", "FORMAT"] + names),
    ]
    position = 60001
    for record in range(args.records):
        ref, alts = site(rng, record % 3)
        samples = ["%s:%d" % (genotype(rng, len(alts) + 1), rng.randint(5, 60)) for _ in names]
        fields = ["20", str(position), ".", ref, ",".join(alts), "50", "PASS", "DP=%d" % rng.randint(50, 900), "GT:DP"]
        lines.append("\t".join(fields + samples))
        position += len(ref) + rng.randint(0, 40)
    with open(args.out, "wb") as out:
        subprocess.run(["bgzip", "-c"], input=("\n".join(lines) + "\n").encode(), stdout=out, check=True)
    subprocess.run(["tabix", "-f", "-p", "vcf", args.out], check=True)


if __name__ == "__main__":
    main()
