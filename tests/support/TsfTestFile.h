#pragma once

#include "formats/tsf/TsfChunkCodec.h"
#include "source/model/VkFeature.h"
#include "source/model/VkField.h"

// Lays out a TSF file through the format layer, for reader tests that must not depend on the
// writer. Schema order: the locus fields, then the matrix fields, then one entity attribute
// field "Sample" holding the sample names. A feature's values follow the locus and matrix
// fields; a matrix value is one typed array over the samples, or a SampleMatrix.
struct TsfTestSource {
    QVector<VkField> locusFields;
    QVector<VkField> matrixFields;
    QVector<QByteArray> sampleNames;
    QVector<QByteArray> chromosomes; // chromosome index order
    VkFeatureList features;
    int chunkBits = 6;
    TsfCompression method = TsfCompression::Zstd;
    bool genomicIndex = true;

    // The schema as the reader should present it.
    VkFieldList schema() const;
    // The features as the reader should deliver them (sample names appended when there are samples).
    VkFeatureList expectedFeatures() const;
    // Writes a new file; false with the reason.
    bool write(const QString& path, QString* error) const;
};
