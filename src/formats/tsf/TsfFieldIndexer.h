#pragma once

#include "source/registry/PrecomputeJob.h"
#include "source/registry/VkSource.h"

#include <QString>

class TsfDatabase;
struct TsfIndexRow;

// Builds the "idx_lex_case_insensitive" index of one String or String Array field of a TSF source,
// the index that prefix searches read (TsfIndexReader). The field's values (each item of a list),
// lower-cased, are sorted with their record
// numbers in a LevelDB store on disk (so memory stays flat whatever the source's size), then
// written in key order into a raw table of the file, registered in `tbl` and `idx`. The store is
// removed at the end; the file changes in one transaction, replacing an older index of the field.
class TsfFieldIndexer {
public:
    // storePath is the folder of the LevelDB store; it must not exist yet.
    TsfFieldIndexer(VkSourcePtr source, int field, QString storePath);

    // The store's folder when none is given: beside the source.
    static QString defaultStorePath(const QString& sourcePath);
    // The index of the field that prefix searches take by default: the first String field; -1 if none.
    static int firstStringField(const VkSource& source);

    // False with the reason.
    bool run(const PrecomputeProgress& progress, QString* error);

private:
    class Store;

    bool collect(Store& store, const PrecomputeProgress& progress, QString* error);
    bool writeIndex(Store& store, QString* error);
    bool dropOldIndex(TsfDatabase& db, QString* error);
    bool writeRows(TsfDatabase& db, Store& store, const QString& table, TsfIndexRow* index, QString* error);

    VkSourcePtr m_source;
    int m_field;
    QString m_storePath;
};
