#pragma once

#include "source/registry/VkSource.h"

#include <QString>
#include <QStringList>

class VkEventedThread;
class VkFeatureReader;
class VkFieldReader;
class VkWorkerRunner;

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
    // Creates and starts the runner that performs a precomputation; null when the kind has none.
    virtual VkWorkerRunner* startPrecompute(const QString& usage, const VkSourcePtr& source,
                                            VkEventedThread* thread) const;

    // A new feature reader sharing the source; null when the kind cannot read features.
    virtual VkFeatureReader* createFeatureReader(const VkSourcePtr& source) const;
    // A new field reader sharing the source; null when the kind has none.
    virtual VkFieldReader* createFieldReader(const VkSourcePtr& source) const;
};

// A kind of local file, recognised by its suffixes (compared without regard to case).
class LocalSourceTypeManager : public VkSourceTypeManager {
public:
    bool handles(const QString& path) const override;
    // The kind's file suffixes, longest first where one ends another (".vcf.gz" before ".vcf").
    virtual QStringList suffixes() const = 0;
};
