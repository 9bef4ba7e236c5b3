#pragma once

#include "source/readers/LocalFeatureReader.h"

class ReferenceSequence;

// Reads the windows of a reference sequence source (FASTA or 2bit) as features. Every request maps
// straight to windows, so reads by offset, region or id touch only the bases they return.
class ReferenceFeatureReader : public LocalFeatureReader {
    Q_OBJECT
public:
    using LocalFeatureReader::LocalFeatureReader;

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;
    FeatureCursorPtr openIdsCursor(const QList<qint64>& ids, const QList<int>& fields,
                                   QString* error) override;

private:
    const ReferenceSequence* reference(QString* error) const;
};
