#!/usr/bin/env python3
"""Compares the classes of annotate transcript (a VCF written from its URL) with those of bcftools
csq (its BCSQ field) for every variant-transcript pair of the data of make-transcript-data.py,
prints the counts of agreements, of explained disagreements by reason and of unexplained ones with
an example each, and exits 1 when any is unexplained.

Usage: compare-transcript-csq.py <calls.vcf> <varkit.vcf> <bcftools-csq.vcf>
(transcripts.gtf is read from the folder of calls.vcf)
"""
import collections
import re
import sys

# "coding_sequence" is bcftools' word for a coding change it does not work out (one across the
# coding start or stop); it stands for any coding consequence.
CODING = {"synonymous", "missense", "stop_gained", "stop_lost", "start_lost", "frameshift", "inframe_insertion",
          "inframe_deletion"}
SYNONYMS = {"synonymous": {"synonymous", "stop_retained", "start_retained"},
            "splice_site": {"splice_donor", "splice_acceptor"},
            "5_prime_UTR": {"5_prime_utr"}, "3_prime_UTR": {"3_prime_utr"},
            "noncoding_exon": {"non_coding"}}
NOT_REPORTED = {"upstream", "downstream", "intergenic"}

EXPLANATIONS = {
    "placement": "an indel whose place is a matter of writing: bcftools counts the VCF anchor base and "
                 "takes the indel where the record puts it; varkit counts the changed bases only, at "
                 "their most 3' place in the mRNA",
    "non-coding": "bcftools names every place within a non-coding transcript non_coding (or intron); "
                  "varkit tells its introns and splice sites apart",
    "one gene-level entry": "bcftools writes one non_coding or intron entry, naming one gene, where "
                            "transcripts of several genes lie",
    "UTR intron": "bcftools names no intron (nor splice site) between two exons of a UTR",
    "isoform": "bcftools writes no intron or non-coding entry for a transcript where another transcript "
               "of its gene has an entry; varkit gives every transcript its record",
    "after the stop": "bcftools writes no entry at all for a change to the first base after a coding "
                      "transcript that ends with its stop codon (c.*1)",
    "inner stop": "a coding sequence with a stop codon inside it (where overlapping transcripts of an "
                  "annotation share bases): varkit reads the protein to that stop, bcftools codon by codon",
    "stop at the join": "bcftools calls an in-frame indel in-frame where the bases either side of it "
                        "join into a stop codon (56017 GGAACCG>G of seed 7: TGG|AAC CGA becomes TGA); varkit "
                        "translates the joined codon",
    "split start codon": "bcftools does not see the start codon when an intron splits it, and calls a "
                         "change to it missense or frameshift",
    "multi-base substitution": "a substitution of several bases across two codons, or across the stop "
                               "codon's end: bcftools reads one codon of it (a missense where the second "
                               "codon becomes a stop, a stop retained where TGA becomes TGG)",
    "stop in place": "an insertion or deletion that leaves a stop codon where the old one was: the protein "
                     "is unchanged (varkit: synonymous), bcftools names it by its length or calls the stop "
                     "gained",
    "stop re-formed": "a change that reaches the stop codon where the bases after it form the same stop "
                      "again: the protein keeps its length (varkit: synonymous) or only gains residues; "
                      "bcftools calls stop_lost, or frameshift for a length not a multiple of 3",
}


def records(path):
    with open(path) as f:
        for line in f:
            if not line.startswith("#"):
                cols = line.rstrip("\n").split("\t")
                info = dict(kv.split("=", 1) for kv in cols[7].split(";") if "=" in kv)
                yield (cols[0], int(cols[1]), cols[3], cols[4]), info


def explanation(key, mine, terms, placements, split_starts, tx, hgvs, codons, isoform_entry, gene_level, at_key,
                inner_stops):
    if placements.get(key):
        return "placement"
    if tx in inner_stops and mine in CODING:
        return "inner stop"
    if not terms and isoform_entry and mine in {"noncoding_exon", "intron", "splice_site", "splice_region"}:
        return "isoform"
    if not terms and not gene_level and not isoform_entry and any(re.match(r"c\.\*1\D", h) for h in at_key):
        return "after the stop"
    if not terms and mine in {"noncoding_exon", "intron", "splice_site", "splice_region"} and \
            gene_level & {"non_coding", "intron"}:
        return "one gene-level entry"
    if not terms and mine in {"intron", "splice_site", "splice_region"} and re.match(r"c\.[-*]\d+[-+]\d+", hgvs):
        return "UTR intron"
    if mine == "start_lost" and tx in split_starts and terms & {"missense", "frameshift", "synonymous"}:
        return "split start codon"
    if mine in CODING and len(key[2]) == len(key[3]) > 1 and len(codons.split("/")[0]) > 3:
        return "multi-base substitution"
    if mine == "synonymous" and terms & {"stop_gained", "inframe_insertion", "inframe_deletion"}:
        return "stop in place"
    if "non_coding" in terms and terms <= {"non_coding", "intron"} and mine in {"intron", "splice_site",
                                                                             "splice_region"}:
        return "non-coding"
    if mine == "stop_gained" and terms - {"splice_region"} <= {"inframe_deletion", "inframe_insertion"}:
        return "stop at the join"
    if terms & {"stop_lost", "frameshift"} and mine in {"synonymous", "inframe_insertion", "inframe_deletion"}:
        return "stop re-formed"
    return None


def agrees(mine, terms):
    if mine in NOT_REPORTED:
        return not terms
    return bool(terms & SYNONYMS.get(mine, {mine})) or (mine in CODING and "coding_sequence" in terms)


def main():
    placements = {key: info.get("PLACEMENT") for key, info in records(sys.argv[1])}
    with open(sys.argv[1]) as f:
        inner_stops = set(next((line.strip().split("=", 1)[1].split(",") for line in f
                                if line.startswith("##transcriptsWithInnerStop=")), []))
    # Transcripts whose start codon an intron splits (two start_codon lines in the GTF beside calls.vcf).
    start_codons = collections.Counter()
    folder = sys.argv[1].rsplit("/", 1)[0] if "/" in sys.argv[1] else "."
    with open(folder + "/transcripts.gtf") as f:
        for line in f:
            cols = line.split("\t")
            if cols[2] == "start_codon":
                start_codons[cols[8].split('transcript_id "')[1].split('"')[0]] += 1
    split_starts = {tx for tx, n in start_codons.items() if n > 1}
    ours = collections.defaultdict(dict)
    genes = {}
    for key, info in records(sys.argv[2]):
        ours.setdefault(key, {})
        if "TX_ID" in info:
            ours[key][info["TX_ID"]] = (info.get("TX_CONSEQUENCE") or info["TX_REGION"], info.get("TX_HGVS_C", ""),
                                        info.get("TX_CODONS", ""))
            genes[info["TX_ID"]] = info["TX_GENE"]
    # bcftools names the transcript of each entry but for intron and non_coding ones, which name
    # the gene only: those stand for whichever of its transcripts has no entry of its own.
    theirs = collections.defaultdict(dict)
    by_gene = collections.defaultdict(dict)
    gene_of = {}
    for key, info in records(sys.argv[3]):
        for entry in info.get("BCSQ", "").split(","):
            fields = entry.split("|")
            if len(fields) > 2:
                target = theirs[key] if fields[2] else by_gene[key]
                gene_of[fields[2]] = fields[1]
                target.setdefault(fields[2] or fields[1], set()).update(fields[0].split("&"))
    counts = collections.Counter()
    examples = {}

    def count(key, tx, mine, terms, hgvs, codons):
        if agrees(mine, terms):
            label = "agree"
        else:
            isoform_entry = any(gene_of.get(other) == genes.get(tx) for other in theirs.get(key, {}))
            gene_level = set().union(*by_gene.get(key, {}).values())
            at_key = [h for _, h, _ in ours.get(key, {}).values()]
            reason = explanation(key, mine, terms, placements, split_starts, tx, hgvs, codons, isoform_entry,
                                 gene_level, at_key, inner_stops)
            label = "%s: %s vs %s" % ("explained (%s)" % reason if reason else "UNEXPLAINED", mine,
                                      "&".join(sorted(terms)) or "(none)")
        counts[label] += 1
        examples.setdefault(label, "%s:%d:%s>%s %s:%s" % (key + (tx, hgvs)))

    for key in sorted(set(ours) | set(theirs) | set(by_gene)):
        used = set()
        for tx, (mine, hgvs, codons) in sorted(ours.get(key, {}).items()):
            terms = theirs.get(key, {}).get(tx)
            if terms is None:
                gene_terms = by_gene.get(key, {}).get(genes[tx], set())
                # An isoform the variant misses has no entry beside another's intron.
                terms = gene_terms if not (mine in NOT_REPORTED and gene_terms) else set()
                if agrees(mine, gene_terms) or mine in NOT_REPORTED:
                    used.add(genes[tx])
            count(key, tx, mine, terms, hgvs, codons)
        for tx, terms in theirs.get(key, {}).items():
            if tx not in ours.get(key, {}):
                count(key, tx, "(none)", terms, "", "")
        for gene, terms in by_gene.get(key, {}).items():
            if gene not in used and not any(genes.get(tx) == gene for tx in ours.get(key, {})):
                count(key, gene, "(none)", terms, "", "")
    pairs = sum(counts.values())
    print("%d variant-transcript pairs, %d agree (%.2f%%)" % (pairs, counts["agree"], 100.0 * counts["agree"] / pairs))
    for label, n in sorted(counts.items(), key=lambda item: (item[0].startswith("explained"), -item[1])):
        if label != "agree":
            print("%7d  %s   e.g. %s" % (n, label, examples[label]))
    for reason, text in EXPLANATIONS.items():
        print("%s: %s" % (reason, text))
    return 1 if any(label.startswith("UNEXPLAINED") for label in counts) else 0


if __name__ == "__main__":
    sys.exit(main())
