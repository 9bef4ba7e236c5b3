#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/VkSource.h"

// Asks one source one region query after another, as a join does for every feature on its left:
// the cursor of the first query is re-aimed at each next one when the source can (keeping its
// file, index or connection open), and opened anew otherwise.
class RegionQuery {
public:
    RegionQuery(VkSourcePtr source, QList<int> fields, int mode = 2);

    // Starts the next query; false with the reason when the source cannot be read.
    bool start(const QList<VkSegment>& regions, QString* error);
    // Appends every feature of the current query to out.
    bool readAll(VkFeatureList& out, QString* error);
    // The cursor of the current query; valid after a successful start().
    FeatureCursor& cursor() { return *m_cursor; }

private:
    VkSourcePtr m_source;
    QList<int> m_fields;
    int m_mode;
    FeatureCursorPtr m_cursor;
};
