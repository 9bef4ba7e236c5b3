#pragma once

#include "source/model/VkSegment.h"

#include <QList>
#include <vector>

class TsfFieldReader;

// Prefix searches through "idx_lex_case_insensitive" field indexes. Such an index is a raw table
// named by `query_table_name` (and registered in `tbl` under `data_table_id`) with the columns
// `key` (the value in lower case, TEXT, indexed) and `record` (the record index); `idx_meta`
// gives the smallest and largest key as `minVal` and `maxVal`.
class TsfIndexReader {
public:
    explicit TsfIndexReader(TsfFieldReader& reader) : m_reader(reader) {}

    // Fields of the list that have an index (all indexed fields for an empty list).
    QList<int> searchableFields(const QList<int>& fields) const;
    // Records whose value of an indexed field starts with the prefix (in any case), in key order,
    // each once, and, when regions are given, overlapping one of them.
    bool search(const QString& prefix, const QList<VkSegment>& regions, const QList<int>& fields,
                std::vector<qint64>* records, QString* error);

private:
    bool searchField(int field, const QByteArray& prefix, std::vector<qint64>* records, QString* error);

    TsfFieldReader& m_reader;
};
