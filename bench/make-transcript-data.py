#!/usr/bin/env python3
"""Writes a generated genome with planted transcripts and variants around them, for comparing
annotate transcript with bcftools csq:

  genome.fa       random bases with the transcripts' exons written into them
  transcripts.gtf the transcripts as Ensembl GTF lines (exon, CDS without the stop, start_codon,
                  stop_codon)
  transcripts.gff3 the same transcripts as Ensembl GFF3 (gene, mRNA, exon, CDS with the stop), as
                  bcftools csq reads them
  transcripts.bed the same transcripts as BED12
  calls.vcf       SNVs and indels at and around every exon boundary, every base of the start and
                  stop codons, and at random places in exons, introns and flanks; INFO/PLACEMENT
                  marks indels whose place is a matter of writing: "anchor" when the base a VCF
                  record keeps before the indel lies in another class of place (exon, intron,
                  splice site, coding start, ...) than the bases that change, "repeat" when the
                  indel can slide along a repeat into another class of place

Usage: make-transcript-data.py <folder> [genes] [seed]
       make-transcript-data.py <folder> --from-gtf <annotation.gtf[.gz]> [seed]

With --from-gtf the transcripts are those of a GTF (its exon, CDS, start_codon and stop_codon
lines; a coding sequence with both codons gets an open reading frame written into its exons), on
random chromosomes as long as the annotation needs.
"""
import collections
import gzip
import os
import random
import sys

COMPLEMENT = str.maketrans("ACGT", "TGCA")
STOPS = {"TAA", "TAG", "TGA"}
GAP = 12000  # between genes: more than the 5 kb up- and downstream reach on both sides


def revcomp(bases):
    return bases.translate(COMPLEMENT)[::-1]


def random_bases(rng, n):
    return "".join(rng.choice("ACGT") for _ in range(n))


def random_codons(rng, n):
    codons = []
    while len(codons) < n:
        codon = random_bases(rng, 3)
        if codon not in STOPS:
            codons.append(codon)
    return "".join(codons)


def make_transcript(rng, index, start, coding):
    """Exon lengths and the mRNA of one transcript; its introns are random with GT...AG ends."""
    exon_count = rng.randint(2, 6)
    exon_lengths = [rng.randint(40, 250) for _ in range(exon_count)]
    intron_lengths = [rng.randint(60, 1500) for _ in range(exon_count - 1)]
    total = sum(exon_lengths)
    if coding:
        utr5 = rng.randint(5, min(60, exon_lengths[0] - 1))
        utr3 = rng.randint(5, min(60, exon_lengths[-1] - 1))
        cds = total - utr5 - utr3
        cds -= cds % 3
        utr3 = total - utr5 - cds
        mrna = random_bases(rng, utr5) + "ATG" + random_codons(rng, cds // 3 - 2) + rng.choice(sorted(STOPS))
        mrna += random_bases(rng, utr3)
    else:
        utr5 = cds = 0
        mrna = random_bases(rng, total)
    exons = []
    introns = []
    position = start
    for i, length in enumerate(exon_lengths):
        exons.append((position, position + length))
        position += length
        if i < len(intron_lengths):
            body = random_bases(rng, intron_lengths[i] - 4)
            introns.append((position, "GT" + body + "AG"))
            position += intron_lengths[i]
    return {"id": "TX%03d" % index, "gene": "GENE%03d" % index, "exons": exons, "introns": introns,
            "mrna": mrna, "utr5": utr5, "cds": cds, "coding": coding}


def place_on_genome(genome, tx, reverse):
    """Writes the transcript onto the forward-strand genome, reversing it for the minus strand."""
    exons = tx["exons"]
    start, stop = exons[0][0], exons[-1][1]
    lengths = [b - a for a, b in exons]
    if reverse:
        # Mirror the layout inside its span so that the mRNA reads 5' to 3' on the minus strand.
        exons = sorted((start + (stop - b), start + (stop - a)) for a, b in tx["exons"])
        introns = [(start + (stop - p) - len(seq), revcomp(seq)) for p, seq in tx["introns"]]
        tx["exons"] = exons
        tx["introns"] = introns
    pieces = revcomp(tx["mrna"]) if reverse else tx["mrna"]
    offset = 0
    for a, b in tx["exons"]:
        genome[a:b] = pieces[offset:offset + b - a]
        offset += b - a
    for p, seq in tx["introns"]:
        genome[p:p + len(seq)] = seq
    tx["reverse"] = reverse
    assert sum(lengths) == offset


def coding_stretch(tx):
    """Genomic [start, stop) of the coding sequence (the stop codon included)."""
    exons = tx["exons"]
    # mRNA index -> genomic position
    positions = [p for a, b in exons for p in range(a, b)]
    if tx["reverse"]:
        positions = positions[::-1]
    first = positions[tx["utr5"]]
    last = positions[tx["utr5"] + tx["cds"] - 1]
    return min(first, last), max(first, last) + 1, positions


def coding_pieces(tx, start, stop):
    return [(max(a, start), min(b, stop)) for a, b in tx["exons"] if a < stop and start < b]


def write_annotations(folder, transcripts):
    gtf = []
    gff = ["##gff-version 3"]
    bed = []
    genes = {}
    for tx in transcripts:
        span = genes.setdefault(tx["gene"], [tx["exons"][0][0], tx["exons"][-1][1]])
        span[0], span[1] = min(span[0], tx["exons"][0][0]), max(span[1], tx["exons"][-1][1])
    for tx in transcripts:
        chrom = tx["chrom"]
        strand = "-" if tx["reverse"] else "+"
        a, b = tx["exons"][0][0], tx["exons"][-1][1]
        biotype = "protein_coding" if tx["coding"] else "lincRNA"
        attrs = 'gene_id "%s"; transcript_id "%s"; gene_name "%s"; transcript_biotype "%s";' % (
            tx["gene"], tx["id"], tx["gene"], biotype)
        gtf.append("\t".join([chrom, "gen", "transcript", str(a + 1), str(b), ".", strand, ".", attrs]))
        if tx["gene"] in genes:
            g0, g1 = genes.pop(tx["gene"])
            gene_biotype = "protein_coding" if any(t["coding"] for t in transcripts if t["gene"] == tx["gene"]) \
                else biotype
            gff.append("\t".join([chrom, "gen", "gene", str(g0 + 1), str(g1), ".", strand, ".",
                                  "ID=gene:%s;Name=%s;biotype=%s" % (tx["gene"], tx["gene"], gene_biotype)]))
        gff.append("\t".join([chrom, "gen", "mRNA" if tx["coding"] else "lincRNA", str(a + 1), str(b), ".", strand,
                              ".", "ID=transcript:%s;Parent=gene:%s;Name=%s;biotype=%s" % (
                                  tx["id"], tx["gene"], tx["id"], biotype)]))
        for x, y in tx["exons"]:
            gtf.append("\t".join([chrom, "gen", "exon", str(x + 1), str(y), ".", strand, ".", attrs]))
            gff.append("\t".join([chrom, "gen", "exon", str(x + 1), str(y), ".", strand, ".",
                                  "Parent=transcript:%s" % tx["id"]]))
        thick = (a, a)
        if tx["coding"]:
            start, stop, positions = coding_stretch(tx)
            thick = (start, stop)
            # The GTF's CDS lines leave the stop codon to its own line; GFF3's take it in.
            stop_codon = positions[tx["utr5"] + tx["cds"] - 3: tx["utr5"] + tx["cds"]]
            start_codon = positions[tx["utr5"]: tx["utr5"] + 3]
            s0, s1 = min(stop_codon), max(stop_codon) + 1
            c0, c1 = min(start_codon), max(start_codon) + 1
            cds_start, cds_stop = (s1, stop) if tx["reverse"] else (start, s0)
            for x, y in coding_pieces(tx, cds_start, cds_stop):
                gtf.append("\t".join([chrom, "gen", "CDS", str(x + 1), str(y), ".", strand, ".", attrs]))
            for x, y in coding_pieces(tx, c0, c1):
                gtf.append("\t".join([chrom, "gen", "start_codon", str(x + 1), str(y), ".", strand, ".", attrs]))
            for x, y in coding_pieces(tx, s0, s1):
                gtf.append("\t".join([chrom, "gen", "stop_codon", str(x + 1), str(y), ".", strand, ".", attrs]))
            before, after = ("three", "five") if tx["reverse"] else ("five", "three")
            for kind, piece in ((before, (a, start)), (after, (stop, b))):
                for x, y in coding_pieces(tx, *piece):
                    gff.append("\t".join([chrom, "gen", kind + "_prime_UTR", str(x + 1), str(y), ".", strand, ".",
                                          "Parent=transcript:%s" % tx["id"]]))
            done = 0
            pieces = coding_pieces(tx, start, stop)
            for x, y in (pieces[::-1] if tx["reverse"] else pieces):
                phase = (3 - done % 3) % 3
                gff.append("\t".join([chrom, "gen", "CDS", str(x + 1), str(y), ".", strand, str(phase),
                                      "Parent=transcript:%s" % tx["id"]]))
                done += y - x
        sizes = ",".join(str(y - x) for x, y in tx["exons"])
        starts = ",".join(str(x - a) for x, y in tx["exons"])
        bed.append("\t".join([chrom, str(a), str(b), tx["id"], "0", strand, str(thick[0]), str(thick[1]), "0",
                              str(len(tx["exons"])), sizes, starts]))
    with open(os.path.join(folder, "transcripts.gtf"), "w") as f:
        f.write("\n".join(gtf) + "\n")
    with open(os.path.join(folder, "transcripts.gff3"), "w") as f:
        f.write("\n".join(gff) + "\n")
    with open(os.path.join(folder, "transcripts.bed"), "w") as f:
        f.write("\n".join(bed) + "\n")


def variant_places(rng, tx):
    """Places (0-based) worth testing around one transcript."""
    places = set()
    for a, b in tx["exons"]:
        for edge in (a, b):
            places.update(range(edge - 10, edge + 4))
    if tx["coding"]:
        start, stop, positions = coding_stretch(tx)
        codons = positions[tx["utr5"]:tx["utr5"] + 3] + positions[tx["utr5"] + tx["cds"] - 3:tx["utr5"] + tx["cds"]]
        for p in codons:
            places.update(range(p - 2, p + 3))
    a, b = tx["exons"][0][0], tx["exons"][-1][1]
    places.update(rng.randrange(a, b) for _ in range(40))
    places.update(rng.randrange(a - 6000, a) for _ in range(3))
    places.update(rng.randrange(b, b + 6000) for _ in range(3))
    return places


def variants_at(rng, genome, p):
    """One SNV and, at some places, an indel, as (pos, ref, alt) with VCF's anchor base."""
    ref = genome[p]
    out = [(p, ref, rng.choice([c for c in "ACGT" if c != ref]))]
    kind = rng.random()
    if kind < 0.25:
        n = rng.choice([1, 1, 2, 3, 4, 6])
        out.append((p - 1, "".join(genome[p - 1:p + n]), genome[p - 1]))
    elif kind < 0.45:
        n = rng.choice([1, 1, 2, 3, 3, 6])
        out.append((p - 1, genome[p - 1], genome[p - 1] + random_bases(rng, n)))
    elif kind < 0.5:
        ref2 = "".join(genome[p:p + 2])
        alt2 = random_bases(rng, 2)
        if alt2 != ref2:
            out.append((p, ref2, alt2))
    return out


def position_classes(tx):
    """A function giving the class of place of a base relative to one transcript."""
    exons = tx["exons"]
    a, b = exons[0][0], exons[-1][1]
    coding = {}
    if tx["coding"]:
        _, _, positions = coding_stretch(tx)
        for i, p in enumerate(positions):
            rel = i - tx["utr5"]
            coding[p] = ("utr5" if rel < 0 else "start" if rel < 3 else "cds" if rel < tx["cds"] - 3
                         else "stop" if rel < tx["cds"] else "utr3")
    exonic = set(p for x, y in exons for p in range(x, y))

    def classify(p):
        if p < a or p >= b:
            return "up" if (p < a) != tx["reverse"] else "down"
        if p in exonic:
            return coding.get(p, "ncexon")
        for (x, y), (z, w) in zip(exons, exons[1:]):
            if y <= p < z:
                d = min(p - y + 1, z - p)
                return "site" if d <= 2 else "region" if d <= 8 else "intron"
        raise AssertionError(p)
    return classify


def placement(genome, pos, ref, alt, classifiers):
    """Why an indel's class of place depends on how it is written, or ""."""
    if len(ref) == len(alt):
        return ""
    q = pos + 1  # the first base after the anchor
    deleted = ref[1:]
    inserted = alt[1:]
    if deleted:
        places = [(q, q + len(deleted))]
        s, e = q, q + len(deleted)
        while genome[s - 1] == genome[e - 1]:
            s, e = s - 1, e - 1
            places.append((s, e))
        s, e = q, q + len(deleted)
        while genome[s] == genome[e]:
            s, e = s + 1, e + 1
            places.append((s, e))
        spans = [range(x, y) for x, y in places]
        anchor_bases, changed = [pos], range(q, q + len(deleted))
    else:
        spans = [(q - 1, q)]
        x, seq = q, inserted
        while seq[0] == genome[x]:
            seq, x = seq[1:] + seq[0], x + 1
            spans.append((x - 1, x))
        x, seq = q, inserted
        while seq[-1] == genome[x - 1]:
            seq, x = seq[-1] + seq[:-1], x - 1
            spans.append((x - 1, x))
        anchor_bases, changed = [pos], [q]
    reasons = []
    for classify in classifiers:
        if set(map(classify, anchor_bases)) != set(map(classify, changed)) and "anchor" not in reasons:
            reasons.append("anchor")
        if len(set(frozenset(map(classify, span)) for span in spans)) > 1 and "repeat" not in reasons:
            reasons.append("repeat")
    return ",".join(reasons)


def inner_stop(genome, tx):
    """Whether a stop codon comes before the end of a transcript's coding sequence."""
    _, _, positions = coding_stretch(tx)
    bases = "".join(genome[p] for p in positions[tx["utr5"]:tx["utr5"] + tx["cds"]])
    if tx["reverse"]:
        bases = bases.translate(COMPLEMENT)
    return any(bases[i:i + 3] in STOPS for i in range(0, len(bases) - 3, 3))


def random_transcripts(rng, genes):
    """Transcripts of random layout one after another on chr1, written onto its genome."""
    transcripts = []
    position = GAP
    for i in range(genes):
        tx = make_transcript(rng, i + 1, position, coding=rng.random() < 0.9)
        tx["chrom"] = "chr1"
        transcripts.append(tx)
        position = tx["exons"][-1][1] + GAP
    genome = list(random_bases(rng, position))
    for tx in transcripts:
        place_on_genome(genome, tx, reverse=rng.random() < 0.5)
    return transcripts, {"chr1": genome}


def gtf_transcripts(rng, path):
    """The transcripts of a GTF on random chromosomes, each coding one's open reading frame and each
    intron's GT and AG written in."""
    opener = gzip.open if path.endswith(".gz") else open
    found = {}
    order = []
    with opener(path, "rt") as f:
        for line in f:
            cols = line.rstrip("\n").split("\t")
            if line.startswith("#") or len(cols) < 9 or 'transcript_id "' not in cols[8]:
                continue
            attrs = dict((kv.strip().split(" ", 1)[0], kv.strip().split(" ", 1)[1].strip('"'))
                         for kv in cols[8].split(";") if " " in kv.strip())
            tid = attrs["transcript_id"]
            if tid not in found:
                found[tid] = {"id": tid, "gene": attrs.get("gene_name", attrs.get("gene_id")), "chrom": cols[0],
                              "reverse": cols[6] == "-", "exons": [], "coding_parts": [], "codons": set()}
                order.append(tid)
            part = (int(cols[3]) - 1, int(cols[4]))
            if cols[2] == "exon":
                found[tid]["exons"].append(part)
            elif cols[2] in ("CDS", "stop_codon", "start_codon"):
                found[tid]["coding_parts"].append(part)
                found[tid]["codons"].add(cols[2])
    transcripts = [found[t] for t in order if found[t]["exons"]]
    lengths = collections.Counter()
    for tx in transcripts:
        tx["exons"].sort()
        lengths[tx["chrom"]] = max(lengths[tx["chrom"]], tx["exons"][-1][1] + GAP)
    genomes = {chrom: list(random_bases(rng, n)) for chrom, n in sorted(lengths.items())}
    for tx in sorted(transcripts, key=lambda t: bool(t["coding_parts"])):
        positions = [p for a, b in tx["exons"] for p in range(a, b)]
        if tx["reverse"]:
            positions.reverse()
        coding = [i for i, p in enumerate(positions) if any(a <= p < b for a, b in tx["coding_parts"])]
        tx["coding"] = bool(coding)
        tx["utr5"] = coding[0] if coding else 0
        tx["cds"] = len(coding)
        genome = genomes[tx["chrom"]]
        mrna = [genome[p] if not tx["reverse"] else revcomp(genome[p]) for p in positions]
        if tx["codons"] >= {"start_codon", "stop_codon"} and tx["cds"] % 3 == 0 and tx["cds"] >= 6:
            orf = "ATG" + random_codons(rng, tx["cds"] // 3 - 2) + rng.choice(sorted(STOPS))
            mrna[tx["utr5"]:tx["utr5"] + tx["cds"]] = list(orf)
        for p, base in zip(positions, mrna):
            genome[p] = revcomp(base) if tx["reverse"] else base
        for (a, b), (c, d) in zip(tx["exons"], tx["exons"][1:]):
            if c - b >= 4:
                donor, acceptor = ("CT", "AC") if tx["reverse"] else ("GT", "AG")
                genome[b:b + 2], genome[c - 2:c] = list(donor), list(acceptor)
    return transcripts, genomes


def main():
    folder = sys.argv[1]
    from_gtf = len(sys.argv) > 3 and sys.argv[2] == "--from-gtf"
    seed = sys.argv[4 if from_gtf else 3] if len(sys.argv) > (4 if from_gtf else 3) else 1
    rng = random.Random(int(seed))
    os.makedirs(folder, exist_ok=True)
    if from_gtf:
        transcripts, genomes = gtf_transcripts(rng, sys.argv[3])
    else:
        transcripts, genomes = random_transcripts(rng, int(sys.argv[2]) if len(sys.argv) > 2 else 40)
    with open(os.path.join(folder, "genome.fa"), "w") as f:
        for chrom, genome in genomes.items():
            f.write(">%s\n" % chrom)
            text = "".join(genome)
            for i in range(0, len(text), 60):
                f.write(text[i:i + 60] + "\n")
    write_annotations(folder, transcripts)
    records = {}
    for tx in transcripts:
        genome = genomes[tx["chrom"]]
        near = [position_classes(t) for t in transcripts if t["chrom"] == tx["chrom"] and
                t["exons"][0][0] - GAP < tx["exons"][-1][1] and tx["exons"][0][0] < t["exons"][-1][1] + GAP]
        for p in sorted(p for p in variant_places(rng, tx) if 1 <= p < len(genome) - 10):
            for v in variants_at(rng, genome, p):
                records[(tx["chrom"],) + v] = placement(genome, v[0], v[1], v[2], near)
    with open(os.path.join(folder, "calls.vcf"), "w") as f:
        f.write("##fileformat=VCFv4.2\n")
        # Overlapping transcripts of an annotation share bases, so one's reading frame may hold a
        # stop written by another's.
        broken = [tx["id"] for tx in transcripts if tx["coding"] and inner_stop(genomes[tx["chrom"]], tx)]
        f.write("##transcriptsWithInnerStop=%s\n" % ",".join(broken))
        for chrom, genome in genomes.items():
            f.write("##contig=<ID=%s,length=%d>\n" % (chrom, len(genome)))
        f.write('##INFO=<ID=PLACEMENT,Number=.,Type=String,Description="Why the place of the indel '
                'depends on how it is written: anchor, repeat">\n')
        f.write("#CHROM\tPOS\tID\tREF\tALT\tQUAL\tFILTER\tINFO\n")
        for (chrom, pos, ref, alt), why in sorted(records.items()):
            f.write("%s\t%d\t.\t%s\t%s\t.\tPASS\t%s\n" % (chrom, pos + 1, ref, alt,
                                                          "PLACEMENT=" + why if why else "."))


if __name__ == "__main__":
    main()
