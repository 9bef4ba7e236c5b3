#pragma once

#include "source/model/VkFeature.h"
#include "source/registry/VkSource.h"
#include "transforms/TranscriptModel.h"

// Reads transcript models out of an annotation source, whichever of the two layouts it has:
// - GTF lines (a GTF file, or a TSF written from one): "Feature", "Strand" and the attributes
//   "transcript_id" and "gene_name" (else "gene_id"); exon lines give the exons, CDS, start_codon
//   and stop_codon lines the coding stretch (the stop codon included), the frame of its first
//   piece where the coding sequence starts mid-codon;
// - BED12 records (a BED file or a TSF of one): one transcript per record, "Name", "Strand",
//   "ThickStart"/"ThickEnd" for the coding stretch and the blocks for the exons (one exon
//   spanning the record when it has no blocks).
class TranscriptSource {
public:
    // Recognises the layout from a schema; false with the reason.
    bool setup(const VkFieldList& schema, QString* error);
    // The fields a read asks for.
    QList<int> fields() const;
    // Reads the transcripts on one chromosome, in no particular order.
    bool read(const VkSourcePtr& source, const QByteArray& chromosome, QVector<TranscriptModel>* models,
              QString* error) const;

private:
    enum class Layout { Gtf, Bed };
    // The transcript of one BED record; false with the reason when its blocks do not fit it.
    bool fromBed(const VkFeature& feature, TranscriptModel* model, QString* error) const;
    // Adds what one GTF line says to its transcript.
    void addGtfLine(const VkFeature& feature, QHash<QByteArray, int>& byId,
                    QVector<TranscriptModel>& models) const;

    Layout m_layout = Layout::Gtf;
    int m_feature = -1;
    int m_frame = -1;
    int m_strand = -1;
    int m_transcript = -1;
    int m_gene = -1;
    int m_name = -1;
    int m_thickStart = -1;
    int m_thickEnd = -1;
    int m_blockCount = -1;
    int m_blockSizes = -1;
    int m_blockStarts = -1;
};
