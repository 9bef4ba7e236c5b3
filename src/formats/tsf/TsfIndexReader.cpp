#include "formats/tsf/TsfIndexReader.h"

#include "formats/tsf/TsfFieldReader.h"
#include "source/readers/ReadMode.h"

#include <QSet>

#include <algorithm>

QList<int> TsfIndexReader::searchableFields(const QList<int>& fields) const {
    const QHash<int, TsfIndexRow>& indexes = m_reader.resource().fieldIndexes;
    QList<int> searchable;
    if (fields.isEmpty()) {
        searchable = indexes.keys();
        std::sort(searchable.begin(), searchable.end());
        return searchable;
    }
    for (int field : fields)
        if (indexes.contains(field) && !searchable.contains(field))
            searchable.append(field);
    return searchable;
}

bool TsfIndexReader::search(const QString& prefix, const QList<VkSegment>& regions, const QList<int>& fields,
                            std::vector<qint64>* records, QString* error) {
    const TsfSourceResource& resource = m_reader.resource();
    if (resource.fieldIndexes.isEmpty()) {
        *error = QStringLiteral("TsfIndexReader: No indexed fields for source %2. Run fieldindex on source.")
                     .arg(resource.sourceId);
        return false;
    }
    const QByteArray key = prefix.toUtf8().toLower();
    std::vector<qint64> found;
    for (int field : fields) {
        if (!resource.fieldIndexes.contains(field)) {
            *error = QStringLiteral("TsfIndexReader: fieldIdx %1 not indexed for source %2")
                         .arg(field)
                         .arg(resource.sourceId);
            return false;
        }
        if (!searchField(field, key, &found, error))
            return false;
    }
    QSet<qint64> seen;
    for (qint64 record : found) {
        if (seen.contains(record))
            continue;
        seen.insert(record);
        if (!regions.isEmpty()) {
            VkSegment segment;
            if (!m_reader.readSegment(record, &segment, error))
                return false;
            const bool inside = std::any_of(regions.begin(), regions.end(), [&](const VkSegment& region) {
                return Vk::matches(segment, region, Vk::Overlap);
            });
            if (!inside)
                continue;
        }
        records->push_back(record);
    }
    return true;
}

bool TsfIndexReader::searchField(int field, const QByteArray& prefix, std::vector<qint64>* records,
                                 QString* error) {
    const TsfSourceResource& resource = m_reader.resource();
    TsfDatabase& db = m_reader.database();
    TsfStatement row(
        db, "SELECT idx_type, data_table_id, idx_meta FROM idx WHERE source_id = ? AND field_id = ?;");
    row.bind(1, resource.sourceId).bindText(2, QString::number(field));
    if (!row.next()) {
        *error = QStringLiteral("No field index found for field %1 in source %2")
                     .arg(field)
                     .arg(resource.sourceId);
        return false;
    }
    if (row.columnString(0) != QLatin1String(TsfLayout::LexIndexType)) {
        *error = QStringLiteral("Unexpected index type for field %1 in source %2")
                     .arg(field)
                     .arg(resource.sourceId);
        return false;
    }
    TsfTableRow table;
    QString tableName;
    QString reason;
    if (!TsfCatalog(db).readTable(row.columnInt64(1), &table, &reason) ||
        !TsfLayout::parseTableUri(table.uri, &tableName, &reason) ||
        !TsfLayout::isPlainIdentifier(tableName)) {
        *error = QStringLiteral("Could not read table meta data for source %1").arg(resource.sourceId);
        return false;
    }
    TsfStatement query(db,
                       QStringLiteral("SELECT record FROM %1 WHERE key >= ? AND key < ? ORDER BY key, record")
                           .arg(tableName)
                           .toUtf8());
    // UTF-8 never holds 0xFF, so every key with the prefix sorts below prefix + 0xFF.
    query.bindText(1, prefix).bindText(2, prefix + char(0xFF));
    while (query.next())
        records->push_back(query.columnInt64(0));
    if (query.hasError() || !query.isValid()) {
        *error = query.errorText();
        return false;
    }
    return true;
}
