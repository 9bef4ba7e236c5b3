#!/usr/bin/env python3
"""Writes a coordinate-sorted SAM of random reads and a sorted BED of target regions, for benchmarks.

    make-bench-bam.py --sam reads.sam --bed regions.bed [--chromosomes 2] [--length 3000000]
                      [--depth 30] [--read-length 100] [--regions 10000] [--seed 1]

Reads start uniformly over each chromosome, enough for the given mean depth, with random bases and
mostly plain CIGARs (one in twenty has a deletion, an insertion or an intron-sized skip); one in fifty
is marked duplicate and one in a hundred secondary. Regions (lengths 50 to 2,000) land uniformly on
the chromosomes, sorted. The output is the same for the same arguments.
"""

import argparse
import random


def cigar_of(rng, read_length):
    kind = rng.randrange(20)
    half = read_length // 2
    if kind == 0:
        return "%dM%dD%dM" % (half, rng.randint(1, 5), read_length - half)
    if kind == 1:
        return "%dM%dI%dM" % (half - 2, 2, read_length - half)
    if kind == 2:
        return "%dM%dN%dM" % (half, rng.randint(100, 2000), read_length - half)
    return "%dM" % read_length


def write_sam(args, rng):
    names = ["chr%d" % (i + 1) for i in range(args.chromosomes)]
    quality = "I" * args.read_length
    # Reads take their bases from a pool, at random offsets: drawing each base would dominate.
    pool = "".join(rng.choice("ACGT") for _ in range(1 << 20))
    with open(args.sam, "w") as sam:
        sam.write("@HD\tVN:1.6\tSO:coordinate\n")
        for name in names:
            sam.write("@SQ\tSN:%s\tLN:%d\n" % (name, args.length))
        count = args.length * args.depth // args.read_length
        for name in names:
            starts = sorted(rng.randrange(1, args.length - 3 * args.read_length - 2000) for _ in range(count))
            for i, start in enumerate(starts):
                flag = 16 * rng.randrange(2)
                draw = rng.randrange(100)
                if draw < 2:
                    flag |= 1024
                elif draw == 2:
                    flag |= 256
                offset = rng.randrange(len(pool) - args.read_length)
                bases = pool[offset:offset + args.read_length]
                sam.write("r%s_%d\t%d\t%s\t%d\t60\t%s\t*\t0\t0\t%s\t%s\n"
                          % (name, i, flag, name, start, cigar_of(rng, args.read_length), bases, quality))
    return names


def write_bed(args, rng, names):
    regions = []
    for _ in range(args.regions):
        length = rng.randint(50, 2000)
        start = rng.randrange(0, args.length - length)
        regions.append((rng.randrange(len(names)), start, start + length))
    regions.sort()
    with open(args.bed, "w") as bed:
        for chromosome, start, stop in regions:
            bed.write("%s\t%d\t%d\n" % (names[chromosome], start, stop))


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--sam", required=True)
    parser.add_argument("--bed", required=True)
    parser.add_argument("--chromosomes", type=int, default=2)
    parser.add_argument("--length", type=int, default=3000000)
    parser.add_argument("--depth", type=int, default=30)
    parser.add_argument("--read-length", type=int, default=100)
    parser.add_argument("--regions", type=int, default=10000)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    rng = random.Random(args.seed)
    names = write_sam(args, rng)
    write_bed(args, rng, names)


if __name__ == "__main__":
    main()
