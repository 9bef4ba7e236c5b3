#!/usr/bin/env python3
"""Writes the left alignment benchmark's input: a reference of random sequence interleaved with
homopolymers and tandem repeats (units of 2 to 6 bases), as <out-dir>/ref/ref.fa, and a sorted VCF
of SNPs and indels against it, the indels put at random offsets inside the repeats (so most are not
left-aligned yet), a few of them (5%) complex (a substitution beside the gap), as <out-dir>/<name>.vcf.

    make-leftalign-data.py --out-dir DIR --records N --indels 0.3 [--megabases 50] [--samples 10]
"""
import argparse
import os
import random

BASES = "ACGT"


def make_reference(length, rng):
    """The sequence and the repeats in it as (start, end, unit length), 0-based half-open."""
    parts, repeats, size = [], [], 0
    while size < length:
        plain = "".join(rng.choices(BASES, k=rng.randint(40, 400)))
        parts.append(plain)
        size += len(plain)
        unit_length = rng.choice((1, 1, 2, 3, 4, 6))
        unit = "".join(rng.choices(BASES, k=unit_length))
        if unit_length > 1 and len(set(unit)) == 1:
            unit = unit[:-1] + BASES[(BASES.index(unit[0]) + 1) % 4]
        copies = rng.randint(6, 30) if unit_length == 1 else rng.randint(3, 12)
        repeat = unit * copies
        repeats.append((size, size + len(repeat), unit_length))
        parts.append(repeat)
        size += len(repeat)
    return "".join(parts)[:length], [r for r in repeats if r[1] < length - 10]


def indel(seq, repeat, rng):
    """(POS, REF, ALT): POS, 1-based, is the anchor base's."""
    start, end, unit = repeat
    offset = rng.randint(start + 1, end - unit)
    anchor = seq[offset - 1]
    stretch = seq[offset : offset + unit * rng.choice((1, 1, 2))]
    kind = rng.random()
    if kind < 0.475:
        return offset, anchor + stretch, anchor
    if kind < 0.95:
        return offset, anchor, anchor + stretch
    # A deletion beside a substitution of the base after it.
    after = seq[offset + len(stretch)]
    return offset, anchor + stretch + after, anchor + BASES[(BASES.index(after) + 1) % 4]


def snp(seq, length, rng):
    position = rng.randint(1, length - 2)
    ref = seq[position]
    return position + 1, ref, BASES[(BASES.index(ref) + rng.randint(1, 3)) % 4]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out-dir", required=True)
    parser.add_argument("--records", type=int, default=100000)
    parser.add_argument("--indels", type=float, default=0.3)
    parser.add_argument("--megabases", type=int, default=50)
    parser.add_argument("--samples", type=int, default=10)
    parser.add_argument("--seed", type=int, default=5)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    length = args.megabases * 1000000
    os.makedirs(os.path.join(args.out_dir, "ref"), exist_ok=True)
    fasta = os.path.join(args.out_dir, "ref", "ref.fa")
    seq, repeats = make_reference(length, random.Random(args.seed))
    if not os.path.exists(fasta):
        with open(fasta + ".tmp", "w") as out:
            out.write(">chr1\n")
            for i in range(0, length, 60):
                out.write(seq[i : i + 60] + "\n")
        os.replace(fasta + ".tmp", fasta)

    records = []
    for _ in range(args.records):
        records.append(indel(seq, rng.choice(repeats), rng) if rng.random() < args.indels else snp(seq, length, rng))
    records.sort(key=lambda record: record[0])
    name = "leftalign-%dx%d-%d" % (args.records, args.samples, round(args.indels * 100))
    genotypes = ("0/0", "0/1", "1/1", "0/1", "./.")
    with open(os.path.join(args.out_dir, name + ".vcf"), "w") as out:
        out.write("##fileformat=VCFv4.2\n##contig=<ID=chr1,length=%d>\n" % length)
        out.write('##INFO=<ID=DP,Number=1,Type=Integer,Description="Depth">\n')
        out.write('##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">\n')
        out.write('##FORMAT=<ID=DP,Number=1,Type=Integer,Description="Depth">\n')
        out.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t")
        out.write("\t".join("S%d" % i for i in range(args.samples)) + "\n")
        for position, ref, alt in records:
            samples = "\t".join("%s:%d" % (rng.choice(genotypes), rng.randint(5, 60)) for _ in range(args.samples))
            out.write("chr1\t%d\t.\t%s\t%s\t50\tPASS\tDP=%d\tGT:DP\t%s\n" % (position, ref, alt, rng.randint(10, 500), samples))
    print(os.path.join(args.out_dir, name + ".vcf"))


if __name__ == "__main__":
    main()
