#pragma once

#include "formats/tsf/TsfSparseArrayLayout.h"
#include "source/readers/LocalFeatureReader.h"

class TsfFieldReader;

// The feature reader of full-coverage (sparse-array) sources. Each stored bin of `binSize` bases
// is one feature spanning the bin (up to the chromosome's length); each field's value is the
// vector of its per-base values over that span: a String for Character fields, a typed array for
// numbers and flags. Reads by id are refused.
class TsfFullCoverageReader : public LocalFeatureReader {
    Q_OBJECT
public:
    using LocalFeatureReader::LocalFeatureReader;

    // The layout of a source from its "idx_sparse_array" row; false with "No
    // idx_sparse_array index provided for full coverage source" when there is none.
    static bool loadLayout(TsfFieldReader& reader, TsfSparseArrayLayout* layout, QString* error);

protected:
    FeatureCursorPtr openSequentialCursor(qint64 offset, const QList<int>& fields, QString* error) override;
    FeatureCursorPtr openRegionCursor(const QList<VkSegment>& regions, const QList<int>& fields,
                                      QString* error) override;
    FeatureCursorPtr openIdsCursor(const QList<qint64>& ids, const QList<int>& fields,
                                   QString* error) override;
};
