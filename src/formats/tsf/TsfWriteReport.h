#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

#include <cstdint>

// The HTML that a finished write appends to the source's documentation: how well each field
// compressed, where the records lie, the extents of numeric fields and the categories of
// Categorical fields.
namespace TsfWriteReport {

struct CompressionRow {
    QByteArray name;
    qint64 uncompressedBytes = 0;
    qint64 compressedBytes = 0;
};

struct ExtentRow {
    QByteArray name;
    QString low;
    QString high;
};

struct CategoryRow {
    QByteArray name;
    QVector<QByteArray> categories;
};

// A table of every field and a total row.
QString compressionStatistics(const QVector<CompressionRow>& rows);
// Smallest start and largest stop per chromosome.
QString genomicIndexExtents(const QVector<ExtentRow>& rows);
// Empty when no field has extents.
QString valueExtents(const QVector<ExtentRow>& rows);
// Empty when there is no Categorical field.
QString categoryFields(const QVector<CategoryRow>& rows);

} // namespace TsfWriteReport
