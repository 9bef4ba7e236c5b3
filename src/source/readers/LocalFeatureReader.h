#pragma once

#include "source/readers/VkFeatureReader.h"

// Base of the feature readers of file formats. A format supplies a sequential cursor and, where
// it has an index, a region cursor; region modes, reads by id and the unindexed fallbacks are
// handled here.
class LocalFeatureReader : public VkFeatureReader {
    Q_OBJECT
public:
    using VkFeatureReader::VkFeatureReader;

    FeatureCursorPtr openCursor(const ReadRequest& request, QString* error) override;

    // Whether a feature answers a region query in the given read mode.
    static bool matches(const VkSegment& feature, const VkSegment& query, int readMode);

protected:
    // Every feature from the given ordinal on, in source order.
    virtual FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error);
    // Features overlapping any region; by default a filtered sequential scan.
    virtual FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                              QString* error);
    // Features at the listed ordinals, in source order; by default picked from a sequential scan.
    virtual FeatureCursorPtr openIdsCursor(const QList<qint64>& ids, const QList<int>& fields,
                                           QString* error);
    // Features whose indexed field starts with the prefix; sources without a field index refuse.
    virtual FeatureCursorPtr openPrefixCursor(const QString& prefix, const QList<VkSegment>& regions,
                                              const QList<int>& fields, QString* error);
};
