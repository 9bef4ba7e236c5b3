#include "formats/tsf/TsfWriteReport.h"

#include <QStringList>

namespace {

const char kTableStart[] = "<table cellspacing=\"0\">\n";
const char kTableEnd[] = "</table>\n";

QString percentOf(qint64 part, qint64 whole) {
    return QString::number(whole > 0 ? 100.0 * double(part) / double(whole) : 0.0, 'f', 1);
}

QString name(const QByteArray& bytes) {
    return QString::fromUtf8(bytes).toHtmlEscaped();
}

} // namespace

namespace TsfWriteReport {

QString compressionStatistics(const QVector<CompressionRow>& rows) {
    QString html = QStringLiteral("<h2>Compression Statistics</h2>\n") + QLatin1String(kTableStart);
    qint64 uncompressed = 0;
    qint64 compressed = 0;
    for (const CompressionRow& row : rows) {
        html += QStringLiteral("<tr><th>%1</th><td>%2%</td><td>%3/%4</td></tr>\n")
                    .arg(name(row.name), percentOf(row.compressedBytes, row.uncompressedBytes))
                    .arg(row.compressedBytes)
                    .arg(row.uncompressedBytes);
        uncompressed += row.uncompressedBytes;
        compressed += row.compressedBytes;
    }
    html += QStringLiteral("<tr><th>Total</th><td>%1%</td><td>%2/%3</td></tr>\n")
                .arg(percentOf(compressed, uncompressed))
                .arg(compressed)
                .arg(uncompressed);
    return html + QLatin1String(kTableEnd);
}

QString genomicIndexExtents(const QVector<ExtentRow>& rows) {
    QString html = QStringLiteral("<h2>Genomic Index Extents</h2>\n") + QLatin1String(kTableStart);
    for (const ExtentRow& row : rows)
        html += QStringLiteral("<tr><th>%1</th><td>%2-%3</td></tr>\n").arg(name(row.name), row.low, row.high);
    return html + QLatin1String(kTableEnd);
}

QString valueExtents(const QVector<ExtentRow>& rows) {
    if (rows.isEmpty())
        return QString();
    QString html = QStringLiteral("<h2>Extents of Value Fields</h2>\n") + QLatin1String(kTableStart);
    for (const ExtentRow& row : rows)
        html += QStringLiteral("<tr><th>%1</th><td>%2</td><td>%3</td></tr>\n")
                    .arg(name(row.name), row.low, row.high);
    return html + QLatin1String(kTableEnd);
}

QString categoryFields(const QVector<CategoryRow>& rows) {
    if (rows.isEmpty())
        return QString();
    QString html = QStringLiteral("<h2>Category Fields</h2>\n") + QLatin1String(kTableStart);
    for (const CategoryRow& row : rows) {
        QStringList categories;
        for (const QByteArray& category : row.categories)
            categories.append(name(category));
        html +=
            QStringLiteral("<tr><th>%1</th><td>%2</td></tr>\n").arg(name(row.name), categories.join(", "));
    }
    return html + QLatin1String(kTableEnd);
}

} // namespace TsfWriteReport
