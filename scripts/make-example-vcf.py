#!/usr/bin/env python3
"""Writes examples/example.vcf: a small trio VCF 4.2 on GRCh37 chromosomes 20 and 21.

The sites are listed by hand; read depths are drawn from a seeded generator and every
derived value (AD, DP, PL, GQ, QUAL, AC, AN, AF) is computed from them, so the file is
internally consistent and the same on every run. Compress and index it with:

    bgzip -c examples/example.vcf > examples/example.vcf.gz
    tabix -p vcf examples/example.vcf.gz
"""

import math
import random
import sys
from pathlib import Path

SAMPLES = ["NA12878", "NA12891", "NA12892"]
CONTIGS = [("20", 63025520), ("21", 48129895)]
ERROR_RATE = 0.01
LOW_QUAL = 30.0

HEADER = """##fileformat=VCFv4.2
##fileDate=20240115
##source=varkit example generator
##reference=file:///data/references/human_g1k_v37.fasta
{contigs}
##FILTER=<ID=PASS,Description="All filters passed">
##FILTER=<ID=LowQual,Description="Low quality: QUAL below 30">
##INFO=<ID=AC,Number=A,Type=Integer,Description="Allele count in genotypes, for each ALT allele">
##INFO=<ID=AF,Number=A,Type=Float,Description="Allele frequency, for each ALT allele">
##INFO=<ID=AN,Number=1,Type=Integer,Description="Total number of alleles in called genotypes">
##INFO=<ID=DP,Number=1,Type=Integer,Description="Combined read depth across samples">
##INFO=<ID=MQ,Number=1,Type=Float,Description="RMS mapping quality">
##INFO=<ID=DB,Number=0,Type=Flag,Description="dbSNP membership">
##INFO=<ID=GENE,Number=1,Type=String,Description="Overlapping gene symbol">
##FORMAT=<ID=GT,Number=1,Type=String,Description="Genotype">
##FORMAT=<ID=AD,Number=R,Type=Integer,Description="Allelic depths for the REF and ALT alleles">
##FORMAT=<ID=DP,Number=1,Type=Integer,Description="Read depth">
##FORMAT=<ID=GQ,Number=1,Type=Integer,Description="Genotype quality">
##FORMAT=<ID=PL,Number=G,Type=Integer,Description="Phred-scaled genotype likelihoods">
#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\tFORMAT\t{samples}"""

# (chrom, pos, id, ref, alts, gene, genotypes of NA12878/NA12891/NA12892, options)
# Genotypes: "0/1" unphased, "0|1" phased, "./." no call with every value missing,
# "./0" no call with zero coverage. Options: "low" draws a shallow depth, "nofilter"
# leaves FILTER unset.
SITES = [
    ("20", 61098, "rs6078030", "C", ["T"], None, ["0/1", "0/0", "0/1"], ""),
    ("20", 68749, ".", "T", ["C"], None, ["0/0", "0/1", "0/0"], ""),
    ("20", 1234567, "rs6040355", "A", ["G", "T"], None, ["1/2", "0/1", "0/2"], ""),
    ("20", 1345678, ".", "ATG", ["A"], None, ["0/1", "0/1", "1/1"], ""),
    ("20", 2301122, "rs2236681", "G", ["A"], None, ["1/1", "0/1", "1/1"], ""),
    ("20", 3456789, ".", "T", ["TA"], None, ["0/1", "./.", "0/1"], "low"),
    ("20", 4123456, "rs1063588", "C", ["G"], None, ["0|1", "0/0", "0/1"], ""),
    ("20", 5280123, ".", "G", ["T"], None, ["0/1", "0/0", "0/0"], "low"),
    ("20", 6752143, "rs235768", "A", ["T"], "BMP2", ["1/1", "1/1", "0/1"], ""),
    ("20", 6758921, ".", "CAG", ["C"], "BMP2", ["0/1", "0/0", "0/1"], ""),
    ("20", 8402215, "rs6086616", "T", ["C"], "PLCB1", ["0/1", "0/1", "0/0"], ""),
    ("20", 8655730, ".", "A", ["AT", "ATT"], "PLCB1", ["1/2", "0/1", "0/2"], ""),
    ("20", 10622560, "rs1051421", "G", ["A"], "JAG1", ["0/1", "0/0", "0/1"], ""),
    ("20", 10639432, ".", "C", ["T"], "JAG1", ["0/1", "0/1", "./0"], ""),
    ("20", 14370210, "rs6054257", "G", ["A"], "MACROD2", ["1|0", "0/1", "1/1"], ""),
    ("20", 15512877, ".", "TCA", ["T"], "MACROD2", ["0/1", "0/1", "0/0"], "nofilter"),
    ("20", 17330941, "rs6136372", "A", ["G"], None, ["0/0", "0/1", "0/1"], ""),
    ("20", 20124875, ".", "C", ["A"], None, ["0/1", "0/0", "0/0"], "low"),
    ("20", 23612003, "rs1064039", "C", ["T"], "CST3", ["0/1", "1/1", "0/1"], ""),
    ("20", 25467219, ".", "G", ["GC"], None, ["1/1", "0/1", "1/1"], ""),
    ("20", 30124567, "rs2295278", "T", ["C"], None, ["0/1", "0/1", "0/1"], ""),
    ("20", 33456712, ".", "A", ["C"], "NCOA6", ["0/0", "0/0", "0/1"], ""),
    ("20", 36890123, "rs6016741", "G", ["A", "C"], None, ["0/1", "0/2", "1/1"], ""),
    ("20", 40956123, "rs6029526", "T", ["A"], "PTPRT", ["0/1", "./.", "0/1"], ""),
    ("20", 41322987, ".", "AAAC", ["A"], "PTPRT", ["0/1", "0/1", "0/0"], ""),
    ("20", 45012345, "rs2425019", "C", ["T"], None, ["1/1", "1/1", "1/1"], ""),
    ("20", 52789001, ".", "G", ["A"], None, ["0/1", "0/0", "0/0"], "low"),
    ("20", 62901234, "rs6062272", "A", ["G"], None, ["0/1", "0/1", "0/0"], ""),
    ("21", 9411245, ".", "C", ["A"], None, ["0/1", "0/0", "0/1"], ""),
    ("21", 14582150, "rs2822432", "T", ["C"], None, ["1/1", "0/1", "0/1"], ""),
    ("21", 16230817, ".", "GTT", ["G"], None, ["0/1", "0/1", "0/0"], ""),
    ("21", 19601542, "rs2824310", "A", ["G"], None, ["0/0", "0/1", "0/1"], ""),
    ("21", 23505120, ".", "C", ["T"], None, ["0/1", "0/0", "./."], "low"),
    ("21", 27264033, "rs466433", "A", ["G"], "APP", ["0/1", "1/1", "0/1"], ""),
    ("21", 27372330, ".", "T", ["TG"], "APP", ["0|1", "0/1", "0/0"], ""),
    ("21", 29011873, "rs1057316", "G", ["C"], None, ["0/1", "0/1", "1/1"], ""),
    ("21", 31744821, ".", "CT", ["C", "CTT"], None, ["1/2", "0/1", "0/2"], ""),
    ("21", 33039603, "rs2070424", "A", ["G"], "SOD1", ["0/1", "0/0", "0/1"], ""),
    ("21", 34889412, ".", "G", ["T"], None, ["0/1", "0/0", "0/0"], "low"),
    ("21", 36206893, "rs2268277", "C", ["T"], "RUNX1", ["0/1", "0/1", "0/0"], ""),
    ("21", 36421585, ".", "AGC", ["A"], "RUNX1", ["0/0", "0/1", "0/1"], ""),
    ("21", 38792150, "rs2835740", "T", ["C"], "DYRK1A", ["1/1", "0/1", "1/1"], ""),
    ("21", 40511230, ".", "G", ["A"], None, ["0/1", "0/1", "0/1"], "nofilter"),
    ("21", 42148723, "rs2070754", "C", ["G"], None, ["0/1", "0/0", "0/1"], ""),
    ("21", 43512006, ".", "A", ["AC"], None, ["0/1", "0/0", "0/1"], ""),
    ("21", 44483184, "rs234706", "G", ["A"], "CBS", ["0/1", "1/1", "0/0"], ""),
    ("21", 45921478, ".", "T", ["G"], None, ["0/1", "0/1", "0/0"], ""),
    ("21", 47401853, "rs1053312", "C", ["T", "A"], "COL6A1", ["0/2", "0/1", "1/2"], ""),
    ("21", 47856421, ".", "GA", ["G"], None, ["0/1", "0/0", "0/1"], ""),
    ("21", 48084213, "rs2839177", "A", ["C"], None, ["1|1", "0/1", "0/1"], ""),
]


def genotype_order(allele_count):
    """Diploid genotypes in VCF PL order: (j, k) for k in 0.. and j in 0..k."""
    return [(j, k) for k in range(allele_count) for j in range(k + 1)]


def read_likelihood(read_allele, gt_allele, allele_count):
    if read_allele == gt_allele:
        return 1.0 - ERROR_RATE
    return ERROR_RATE / (allele_count - 1)


def phred_likelihoods(ad):
    """PL values of every genotype given the allelic depths, normalised to a best of 0."""
    n = len(ad)
    logs = []
    for a, b in genotype_order(n):
        total = 0.0
        for allele, count in enumerate(ad):
            p = 0.5 * read_likelihood(allele, a, n) + 0.5 * read_likelihood(allele, b, n)
            total += count * math.log10(p)
        logs.append(total)
    best = max(logs)
    return [int(round(-10.0 * (x - best))) for x in logs]


def draw_depths(rng, alleles, allele_count, shallow):
    """Allelic depths for a sample carrying the two given alleles."""
    depth = rng.randint(4, 7) if shallow else rng.randint(14, 45)
    ad = [0] * allele_count
    for _ in range(depth):
        if rng.random() < ERROR_RATE * 2:
            ad[rng.randrange(allele_count)] += 1
        else:
            ad[alleles[rng.randrange(2)]] += 1
    return ad


def sample_call(rng, gt, allele_count, shallow):
    """Returns (sample column, called alleles or None, PL of hom-ref or 0)."""
    if gt == "./.":
        return "./.:.:.:.:.", None, 0
    if gt == "./0":
        zeros = ",".join("0" * allele_count)
        pls = ",".join("0" * len(genotype_order(allele_count)))
        return "./.:%s:0:.:%s" % (zeros, pls), None, 0
    sep = "|" if "|" in gt else "/"
    alleles = [int(x) for x in gt.split(sep)]
    while True:
        ad = draw_depths(rng, alleles, allele_count, shallow)
        pl = phred_likelihoods(ad)
        best = genotype_order(allele_count)[pl.index(0)]
        if sorted(best) == sorted(alleles) and pl.count(0) == 1:
            break
    dp = sum(ad) + rng.randint(0, 2)
    gq = min(99, sorted(pl)[1])
    column = "%s:%s:%d:%d:%s" % (gt, ",".join(map(str, ad)), dp, gq, ",".join(map(str, pl)))
    return column, alleles, pl[0] if alleles != [0, 0] else 0


def record_line(rng, site):
    chrom, pos, rsid, ref, alts, gene, gts, opts = site
    shallow = opts == "low"
    allele_count = len(alts) + 1
    columns, called, qual = [], [], 0.0
    for gt in gts:
        column, alleles, evidence = sample_call(rng, gt, allele_count, shallow)
        columns.append(column)
        qual += evidence
        if alleles is not None:
            called.extend(alleles)
    depth = sum(int(c.split(":")[2]) for c in columns if c.split(":")[2] != ".")
    ac = [called.count(i) for i in range(1, allele_count)]
    if min(ac) == 0:
        sys.exit("site %s:%d has an ALT allele that no sample carries" % (chrom, pos))
    an = len(called)
    mq = rng.uniform(40.0, 50.0) if shallow else rng.uniform(55.0, 60.0)
    info = [
        "AC=" + ",".join(map(str, ac)),
        "AF=" + ",".join("%.3f" % (c / an) for c in ac),
        "AN=%d" % an,
        "DP=%d" % depth,
        "MQ=%.2f" % mq,
    ]
    if rsid != ".":
        info.append("DB")
    if gene:
        info.append("GENE=" + gene)
    qual = min(qual * 0.9, 5000.0)
    if opts == "nofilter":
        filt = "."
    else:
        filt = "LowQual" if qual < LOW_QUAL else "PASS"
    fields = [chrom, str(pos), rsid, ref, ",".join(alts), "%.2f" % qual, filt, ";".join(info), "GT:AD:DP:GQ:PL"]
    return "\t".join(fields + columns)


def main():
    out = Path(sys.argv[1] if len(sys.argv) > 1 else "examples/example.vcf")
    rng = random.Random(20240115)
    contigs = "\n".join("##contig=<ID=%s,length=%d,assembly=b37>" % c for c in CONTIGS)
    lines = [HEADER.format(contigs=contigs, samples="\t".join(SAMPLES))]
    lines += [record_line(rng, site) for site in SITES]
    out.write_text("\n".join(lines) + "\n")


if __name__ == "__main__":
    main()
