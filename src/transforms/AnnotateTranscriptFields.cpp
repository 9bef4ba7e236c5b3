#include "transforms/AnnotateTranscriptFields.h"

#include "source/registry/VkSource.h"
#include "source/values/SharedNames.h"
#include "transforms/join/JoinFieldGroups.h"

#include <iterator>

namespace {

enum Field {
    Alt,
    Gene,
    Transcript,
    Strand,
    Region,
    Exon,
    Intron,
    Consequence,
    Codons,
    AminoAcids,
    HgvsC,
    HgvsP
};

// In the order of TranscriptRegion and of CodingConsequence (after None).
const char* const kRegions[] = {"splice_site", "coding_exon",    "splice_region", "5_prime_UTR",
                                "3_prime_UTR", "noncoding_exon", "intron",        "upstream",
                                "downstream",  "intergenic"};
const char* const kConsequences[] = {"synonymous", "missense",   "stop_gained",       "stop_lost",
                                     "start_lost", "frameshift", "inframe_insertion", "inframe_deletion"};

QVector<QByteArray> permanentNames(const char* const* texts, int count) {
    QVector<QByteArray> names;
    for (int i = 0; i < count; ++i)
        names.append(SharedNames::permanent(texts[i], int(qstrlen(texts[i]))));
    return names;
}

const QVector<QByteArray>& regionNames() {
    static const QVector<QByteArray> names = permanentNames(kRegions, int(std::size(kRegions)));
    return names;
}

const QVector<QByteArray>& consequenceNames() {
    static const QVector<QByteArray> names = permanentNames(kConsequences, int(std::size(kConsequences)));
    return names;
}

VkField field(int idx, const char* name, const char* symbol, ValueType type, const char* doc) {
    VkField field(idx, name, symbol, type);
    field.doc = QString::fromUtf8(doc);
    return field;
}

void setCategories(VkField& field, const QVector<QByteArray>& names) {
    for (int code = 0; code < names.size(); ++code) {
        field.enumValues.append(code);
        field.enumNames.append(names[code]);
    }
}

PVariant text(const QByteArray& bytes) {
    return bytes.isEmpty() ? PVariant::missing(ValueType::String) : PVariant(bytes);
}

PVariant number(int value) {
    return value > 0 ? PVariant(value) : PVariant::missing(ValueType::Int);
}

} // namespace

bool AnnotateTranscriptFields::setup(const VkSource& left, const VkSource&, QString* error) {
    m_refAlt = JoinFields::find(left.schema(), QStringLiteral("RefAlt"));
    if (m_refAlt < 0) {
        *error =
            QStringLiteral("The transcript annotation needs variants: the input source has no Ref/Alt field");
        return false;
    }
    m_fields = {
        field(
            Alt, "Alt", "TX_ALT", ValueType::String,
            "The alternate allele the record describes; a multi-allelic variant has records per alternate."),
        field(Gene, "Gene", "TX_GENE", ValueType::String,
              "The gene of the transcript (its gene_name, else gene_id; a BED record's name)."),
        field(Transcript, "Transcript", "TX_ID", ValueType::String, "The transcript identifier."),
        field(Strand, "Strand", "TX_STRAND", ValueType::String, "The strand of the transcript, + or -."),
        field(
            Region, "Region", "TX_REGION", ValueType::Categorical,
            "Where the allele lies on the transcript: in a coding exon, a UTR, a non-coding exon, an intron, "
            "a splice site (intronic, within 2 bases of an exon), a splice region (3 to 8 bases), up- or "
            "downstream within 5 kb, or near no transcript (intergenic)."),
        field(Exon, "Exon", "TX_EXON", ValueType::Int,
              "The exon the allele covers (the first, if several), counted from the transcript's start."),
        field(Intron, "Intron", "TX_INTRON", ValueType::Int,
              "The intron the allele covers (the first, if several), counted from the transcript's start."),
        field(Consequence, "Consequence", "TX_CONSEQUENCE", ValueType::Categorical,
              "What a change in the coding sequence does to the protein."),
        field(Codons, "Codons", "TX_CODONS", ValueType::String,
              "Reference/alternate bases of the codons the change touches, the changed bases in capitals."),
        field(AminoAcids, "Amino Acids", "TX_AMINO_ACIDS", ValueType::String,
              "Reference/alternate amino acids of those codons (one when they are the same)."),
        field(HgvsC, "HGVS c.", "TX_HGVS_C", ValueType::String,
              "The change on the transcript in HGVS notation (n. for a non-coding transcript)."),
        field(HgvsP, "HGVS p.", "TX_HGVS_P", ValueType::String,
              "The change on the protein in HGVS notation."),
    };
    setCategories(m_fields[Region], regionNames());
    setCategories(m_fields[Consequence], consequenceNames());
    return true;
}

void AnnotateTranscriptFields::computeValues(const VkFeature&, const JoinMatches& matches, int row,
                                             PVariantVector& out) const {
    if (row >= 0 && row < matches.size()) {
        out += matches[row].feature.values();
        return;
    }
    for (const VkField& field : m_fields)
        out.append(PVariant::missing(field.valueType));
}

void AnnotateTranscriptFields::describe(const QByteArray& alt, const TranscriptModel* model,
                                        const TranscriptEffect* effect, PVariantVector& out) const {
    out.clear();
    out.reserve(m_fields.size());
    out.append(text(alt));
    const int region = int(model ? effect->location.region : TranscriptRegion::Intergenic);
    if (!model) {
        for (int i = Gene; i < m_fields.size(); ++i)
            out.append(i == Region ? PVariant::categorical(region, regionNames()[region])
                                   : PVariant::missing(m_fields[i].valueType));
        return;
    }
    static const QByteArray kPlus = SharedNames::permanent("+", 1);
    static const QByteArray kMinus = SharedNames::permanent("-", 1);
    out.append(text(model->gene()));
    out.append(text(model->id()));
    out.append(PVariant(model->isReverse() ? kMinus : kPlus));
    out.append(PVariant::categorical(region, regionNames()[region]));
    out.append(number(effect->location.exon));
    out.append(number(effect->location.intron));
    const int consequence = int(effect->consequence) - 1;
    out.append(consequence >= 0 ? PVariant::categorical(consequence, consequenceNames()[consequence])
                                : PVariant::missing(ValueType::Categorical));
    out.append(text(effect->codons));
    out.append(text(effect->aminoAcids));
    out.append(text(effect->hgvsC));
    out.append(text(effect->hgvsP));
}
