#!/usr/bin/env python3
"""Compares the classes of annotate transcript (a VCF written from its URL) with those of bcftools
csq (its BCSQ field) for every variant-transcript pair of the data of make-transcript-data.py (one
transcript per gene), prints the counts of agreements, of explained disagreements by reason and of
unexplained ones with an example each, and exits 1 when any is unexplained.

Usage: compare-transcript-csq.py <calls.vcf> <varkit.vcf> <bcftools-csq.vcf>
(transcripts.gtf is read from the folder of calls.vcf)
"""
import collections
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
    "non-coding": "bcftools names every place within a non-coding transcript non_coding; varkit tells "
                  "its introns and splice sites apart",
    "stop at the join": "bcftools calls an in-frame indel in-frame where the bases either side of it "
                        "join into a stop codon (56017 GGAACCG>G of seed 7: TGG|AAC CGA becomes TGA); varkit "
                        "translates the joined codon",
    "split start codon": "bcftools does not see the start codon when an intron splits it, and calls a "
                         "change to it missense or frameshift",
    "two codons": "a two-base substitution across two codons that makes a stop of the second: bcftools "
                  "reports the first codon's missense change only",
    "stop in place": "an insertion that puts a stop where the old one was, before it: the protein is "
                     "unchanged (varkit: synonymous), bcftools calls the stop gained",
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
                yield (int(cols[1]), cols[3], cols[4]), info


def explanation(key, mine, terms, placements, split_starts, gene):
    if placements.get(key):
        return "placement"
    if mine == "start_lost" and gene in split_starts and terms & {"missense", "frameshift", "synonymous"}:
        return "split start codon"
    if mine == "stop_gained" and len(key[1]) == len(key[2]) > 1 and "missense" in terms:
        return "two codons"
    if mine == "synonymous" and "stop_gained" in terms:
        return "stop in place"
    if terms == {"non_coding"} and mine in {"intron", "splice_site", "splice_region"}:
        return "non-coding"
    if mine == "stop_gained" and terms - {"splice_region"} <= {"inframe_deletion", "inframe_insertion"}:
        return "stop at the join"
    if terms & {"stop_lost", "frameshift"} and mine in {"synonymous", "inframe_insertion", "inframe_deletion"}:
        return "stop re-formed"
    return None


def main():
    placements = {key: info.get("PLACEMENT") for key, info in records(sys.argv[1])}
    # Genes whose start codon an intron splits (two start_codon lines in the GTF beside calls.vcf).
    start_codons = collections.Counter()
    with open(sys.argv[1].rsplit("/", 1)[0] + "/transcripts.gtf" if "/" in sys.argv[1] else "transcripts.gtf") as f:
        for line in f:
            cols = line.split("\t")
            if cols[2] == "start_codon":
                start_codons[cols[8].split('gene_id "')[1].split('"')[0]] += 1
    split_starts = {gene for gene, n in start_codons.items() if n > 1}
    ours = collections.defaultdict(dict)
    for key, info in records(sys.argv[2]):
        ours.setdefault(key, {})
        if "TX_ID" in info:
            ours[key][info["TX_GENE"]] = (info.get("TX_CONSEQUENCE") or info["TX_REGION"],
                                          info["TX_ID"] + ":" + info.get("TX_HGVS_C", ""))
    theirs = collections.defaultdict(dict)
    for key, info in records(sys.argv[3]):
        for entry in info.get("BCSQ", "").split(","):
            fields = entry.split("|")
            if len(fields) > 2:
                # Intron and non_coding entries name the gene only.
                theirs[key].setdefault(fields[1], set()).update(fields[0].split("&"))
    counts = collections.Counter()
    examples = {}
    for key in sorted(set(ours) | set(theirs)):
        for gene in sorted(set(ours.get(key, {})) | set(theirs.get(key, {}))):
            mine, hgvs = ours.get(key, {}).get(gene, ("(none)", ""))
            terms = theirs.get(key, {}).get(gene, set())
            agree = (not terms) if mine in NOT_REPORTED else bool(terms & SYNONYMS.get(mine, {mine}))
            agree = agree or (mine in CODING and "coding_sequence" in terms)
            if agree:
                label = "agree"
            else:
                reason = explanation(key, mine, terms, placements, split_starts, gene)
                label = "%s: %s vs %s" % ("explained (%s)" % reason if reason else "UNEXPLAINED", mine,
                                          "&".join(sorted(terms)) or "(none)")
            counts[label] += 1
            examples.setdefault(label, "%s:%s>%s %s" % (key[0], key[1], key[2], hgvs))
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
