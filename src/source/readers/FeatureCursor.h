#pragma once

#include "source/model/VkFeature.h"
#include "source/model/VkSegment.h"

#include <QList>
#include <QString>

#include <memory>

// What a consumer asks of a source: every feature from an offset, the features of regions,
// features by id, or features whose indexed field starts with a prefix.
struct ReadRequest {
    enum Kind { Offset, Region, Ids, Prefix };
    Kind kind = Offset;
    qint64 offset = 0;
    QList<VkSegment> regions;
    int mode = 2; // Vk::ReadMode
    QList<qint64> ids;
    QString prefix;
    // Indexes of the fields to fill; the others stay empty.
    QList<int> fieldList;
    bool computeProgress = false;

    static ReadRequest all(QList<int> fields);
    static ReadRequest byRegion(QList<VkSegment> regions, QList<int> fields, int mode = 2);
};

// A position in the answer to one request. A cursor owns what it reads from (file, index,
// connection) and is pulled in batches on whatever thread holds it, one thread at a time.
// Transforms wrap their inputs' cursors, so a chain of them is pulled on one thread.
class FeatureCursor {
public:
    virtual ~FeatureCursor() = default;
    // Appends up to maxCount features; false, with the reason, when the source cannot be read.
    virtual bool fill(VkFeatureList& batch, int maxCount, QString* error) = 0;
    virtual bool atEnd() const = 0;
    // How much of the request has been read, 0 to 100; -1 when the cursor cannot tell.
    virtual int percentDone() const { return -1; }

    // Whether reseek() works on this cursor.
    virtual bool canReseek() const { return false; }
    // Re-aims a region read at new regions with the same fields and mode, keeping what is open
    // (file, index, connection, the block already decoded). False, with the reason, on a read
    // error; a cursor that cannot reseek fails.
    virtual bool reseek(const QList<VkSegment>& regions, QString* error);
};

using FeatureCursorPtr = std::unique_ptr<FeatureCursor>;
