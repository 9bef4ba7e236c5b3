#pragma once

#include "source/registry/VkSourceTypeManager.h"

// A kind of local file, recognised by its suffixes (compared without regard to case). A kind
// supplies a sequential cursor and, where it has an index, a region cursor; the read modes, reads
// by id and the unindexed fallbacks are handled here.
class LocalSourceTypeManager : public VkSourceTypeManager {
public:
    bool handles(const QString& path) const override;
    // The kind's file suffixes, longest first where one ends another (".vcf.gz" before ".vcf").
    virtual QStringList suffixes() const = 0;

    FeatureCursorPtr openCursor(const VkSourcePtr& source, const ReadRequest& request,
                                QString* error) const override;

protected:
    // Every feature from the given ordinal on, in source order.
    virtual FeatureCursorPtr openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                  const QList<int>& fields, QString* error) const;
    // Features overlapping any region through the source's index; null with an empty error when
    // the source has none, and then a region read is a filtered sequential scan.
    virtual FeatureCursorPtr openIndexedCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                               const QList<int>& fields, QString* error) const;
    // Features at the listed ordinals, in source order; by default picked from a sequential scan.
    virtual FeatureCursorPtr openIdsCursor(const VkSourcePtr& source, const QList<qint64>& ids,
                                           const QList<int>& fields, QString* error) const;
    // Features whose indexed field starts with the prefix; sources without a field index refuse.
    virtual FeatureCursorPtr openPrefixCursor(const VkSourcePtr& source, const QString& prefix,
                                              const QList<VkSegment>& regions, const QList<int>& fields,
                                              QString* error) const;

private:
    FeatureCursorPtr openRegionCursor(const VkSourcePtr& source, const QList<VkSegment>& regions,
                                      const QList<int>& fields, QString* error) const;
};
