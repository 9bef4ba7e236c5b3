#!/usr/bin/env python3
"""Writes a sites-only annotation VCF for the variant join benchmark, bgzip-compressed and indexed.

    make-variant-db.py --vcf bench.vcf.gz --out db.vcf.gz [--between 4] [--seed 1]

Every site of the input is written with an INFO/AF value per alternate, every fourth with one
more alternate; between two sites, --between random SNVs of positions the input does not have.
About 500,000 records for the 100,000-record benchmark VCF; the same seed gives the same file.
"""

import argparse
import gzip
import random
import subprocess

BASES = "ACGT"


def read_sites(path):
    contigs, sites = [], []
    with gzip.open(path, "rt") as f:
        for line in f:
            if line.startswith("##contig="):
                contigs.append(line.rstrip("\n"))
            elif not line.startswith("#"):
                chrom, pos, _, ref, alt = line.split("\t", 5)[:5]
                sites.append((chrom, int(pos), ref, alt))
    return contigs, sites


def records(rng, sites, between):
    for i, (chrom, pos, ref, alt) in enumerate(sites):
        alts = alt.split(",")
        if i % 4 == 0:
            alts.append(next(b for b in BASES if b != ref[0] and b not in alts))
        yield f"{chrom}\t{pos}\t.\t{ref}\t{','.join(alts)}\t.\t.\tAF={','.join('%.4g' % rng.random() for _ in alts)}"
        following = sites[i + 1] if i + 1 < len(sites) else None
        stop = following[1] if following and following[0] == chrom else pos + 1000
        first = pos + len(ref)
        if stop - first > between:
            for p in sorted(rng.sample(range(first, stop), between)):
                r = rng.choice(BASES)
                a = rng.choice([b for b in BASES if b != r])
                yield f"{chrom}\t{p}\t.\t{r}\t{a}\t.\t.\tAF={rng.random():.4g}"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--vcf", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--between", type=int, default=4)
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    contigs, sites = read_sites(args.vcf)
    header = ["##fileformat=VCFv4.2", *contigs,
              '##INFO=<ID=AF,Number=A,Type=Float,Description="Allele frequency, for each ALT allele">',
              "#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO"]
    rng = random.Random(args.seed)
    with open(args.out, "wb") as out:
        bgzip = subprocess.Popen(["bgzip", "-c"], stdin=subprocess.PIPE, stdout=out)
        bgzip.stdin.write(("\n".join(header) + "\n").encode())
        batch = []
        for line in records(rng, sites, args.between):
            batch.append(line)
            if len(batch) == 4096:
                bgzip.stdin.write(("\n".join(batch) + "\n").encode())
                batch.clear()
        bgzip.stdin.write(("\n".join(batch) + "\n").encode() if batch else b"")
        bgzip.stdin.close()
        if bgzip.wait() != 0:
            raise SystemExit("bgzip failed")
    subprocess.run(["tabix", "-f", "-p", "vcf", args.out], check=True)


if __name__ == "__main__":
    main()
