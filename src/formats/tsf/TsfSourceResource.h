#pragma once

#include "formats/tsf/TsfCatalog.h"
#include "formats/tsf/TsfSparseArrayLayout.h"
#include "source/registry/VkResourceData.h"

#include <QHash>

// What opening a TSF source loaded, shared by all its readers: where it lives, its rows and the
// indexes they can use. Readers open their own connections from it.
struct TsfSourceResource : public VkResourceData {
    QString databasePath; // the file, or the "[memory]" name
    QString cacheStamp;   // distinguishes rewritten files in the chunk cache
    qint64 sourceId = -1;
    qint64 locusCount = 0;
    qint64 entityCount = 0;
    QVector<TsfFieldRow> fieldRows; // schema order
    // Genomic index.
    QString gidxQueryTable;
    qint64 gidxDataTableId = -1;
    // Category names of the hidden Chr field: chromosome index to name.
    QVector<QByteArray> chromosomes;
    QHash<QByteArray, int> chromosomeIndex;
    // Field indexes ("idx_lex_case_insensitive") by field idx.
    QHash<int, TsfIndexRow> fieldIndexes;
    // Full-coverage sources, and the chunk table of their bins.
    bool isSparseArray = false;
    qint64 sparseArrayTableId = -1;

    bool hasGenomicIndex() const { return !gidxQueryTable.isEmpty() && gidxDataTableId >= 0; }
    // A read error that names the file it happened in.
    QString inFile(const QString& message) const {
        return QStringLiteral("%1 (file %2)").arg(message, databasePath);
    }
    // The cache identity of a table of this source.
    QString tableIdentity(const QString& tableName) const {
        return databasePath + '|' + cacheStamp + '|' + tableName;
    }
};
