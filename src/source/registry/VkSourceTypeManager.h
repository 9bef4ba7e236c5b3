#pragma once

#include "source/readers/FeatureCursor.h"
#include "source/registry/PrecomputeJob.h"
#include "source/registry/VkSource.h"

#include <QString>
#include <QStringList>

class VkFeatureReader;
class VkFieldReader;

// One per source kind: claims paths, describes sources and builds their readers.
class VkSourceTypeManager {
public:
    virtual ~VkSourceTypeManager() = default;

    virtual int typeId() const = 0;
    // A short name of the kind, never empty; the format name where the kind has one.
    virtual QString typeName() const;
    // Whether this kind reads the path.
    virtual bool handles(const QString& path) const = 0;

    // Fills the source's description (schema included) and any shared reader state, or returns
    // false with the reason.
    virtual bool describe(VkSource& source, QString* error) const = 0;

    // Whether the named precomputation ("GenomicIndex", "AlignmentCoverage") still has to run for
    // this source, and the message to show while it runs.
    virtual bool precomputeNeeded(const VkSource& source, const QString& usage, QString* message) const;
    // The work of a precomputation, to be run by a PrecomputeRunner; empty when the kind has none.
    virtual PrecomputeJob precomputeJob(const VkSourcePtr& source, const QString& usage) const;

    // A cursor over the answer to a request, owning what it reads from; read on the calling
    // thread. Null, with the reason, when the source cannot be read so.
    virtual FeatureCursorPtr openCursor(const VkSourcePtr& source, const ReadRequest& request,
                                        QString* error) const;
    // A new feature reader sharing the source: the thread-crossing wrapper of its cursors.
    virtual VkFeatureReader* createFeatureReader(const VkSourcePtr& source) const;
    // A new field reader sharing the source; null when the kind has none.
    virtual VkFieldReader* createFieldReader(const VkSourcePtr& source) const;
};
