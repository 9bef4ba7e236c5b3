#pragma once

#include "source/readers/LocalFeatureReader.h"

class TsfFieldReader;

// The feature reader of a TSF source: records in order from an offset, by record ids, by region
// through the genomic index (overlap, and exact matches through the query's own bin; within is
// an overlap read filtered), and by prefix through a field index.
class TsfFeatureReader : public LocalFeatureReader {
    Q_OBJECT
public:
    using LocalFeatureReader::LocalFeatureReader;

    FeatureCursorPtr openCursor(const ReadRequest& request, QString* error) override;

    // Record indexes whose segments overlap any region (or, with exact, equal it), ascending.
    static bool regionRecords(TsfFieldReader& reader, const QList<VkSegment>& regions, bool exact,
                              std::vector<qint64>* records, QString* error);

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;
    FeatureCursorPtr openIdsCursor(const QList<qint64>& ids, const QList<int>& fields,
                                   QString* error) override;
    FeatureCursorPtr openPrefixCursor(const QString& prefix, const QList<VkSegment>& regions,
                                      const QList<int>& fields, QString* error) override;

private:
    FeatureCursorPtr regionCursor(const QList<VkSegment>& regions, const QList<int>& fields, bool exact,
                                  QString* error);
};
