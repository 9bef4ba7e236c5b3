#include "source/registry/LocalSourceTypeManager.h"

#include "source/readers/FilteredCursor.h"
#include "source/readers/ReadMode.h"
#include "source/readers/RegionModeCursor.h"

#include <algorithm>

bool LocalSourceTypeManager::handles(const QString& path) const {
    for (const QString& suffix : suffixes())
        if (path.endsWith(suffix, Qt::CaseInsensitive))
            return true;
    return false;
}

FeatureCursorPtr LocalSourceTypeManager::openCursor(const VkSourcePtr& source, const ReadRequest& request,
                                                    QString* error) const {
    switch (request.kind) {
    case ReadRequest::Offset:
        return openSequentialCursor(source, request.offset, request.fieldList, error);
    case ReadRequest::Ids:
        return openIdsCursor(source, request.ids, request.fieldList, error);
    case ReadRequest::Prefix:
        return openPrefixCursor(source, request.prefix, request.regions, request.fieldList, error);
    case ReadRequest::Region:
        break;
    }
    FeatureCursorPtr overlapping = openRegionCursor(source, request.regions, request.fieldList, error);
    if (!overlapping || request.mode == Vk::Overlap)
        return overlapping;
    return std::make_unique<RegionModeCursor>(std::move(overlapping), request.regions, request.mode);
}

FeatureCursorPtr LocalSourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64,
                                                              const QList<int>&, QString* error) const {
    *error = QStringLiteral("Source %1 cannot be read in order").arg(source->path());
    return nullptr;
}

FeatureCursorPtr LocalSourceTypeManager::openIndexedCursor(const VkSourcePtr&, const QList<VkSegment>&,
                                                           const QList<int>&, QString*) const {
    return nullptr;
}

FeatureCursorPtr LocalSourceTypeManager::openRegionCursor(const VkSourcePtr& source,
                                                          const QList<VkSegment>& regions,
                                                          const QList<int>& fields, QString* error) const {
    FeatureCursorPtr indexed = openIndexedCursor(source, regions, fields, error);
    if (indexed || !error->isEmpty())
        return indexed;
    FeatureCursorPtr all = openSequentialCursor(source, 0, fields, error);
    if (!all)
        return nullptr;
    return std::make_unique<RegionModeCursor>(std::move(all), regions, Vk::Overlap);
}

FeatureCursorPtr LocalSourceTypeManager::openIdsCursor(const VkSourcePtr& source, const QList<qint64>& ids,
                                                       const QList<int>& fields, QString* error) const {
    QList<qint64> wanted = ids;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    FeatureCursorPtr all = openSequentialCursor(source, 0, fields, error);
    if (!all)
        return nullptr;
    int next = 0;
    return std::make_unique<FilteredCursor>(
        std::move(all), [wanted, next](const VkFeature&, qint64 ordinal) mutable {
            while (next < wanted.size() && wanted[next] < ordinal)
                ++next;
            if (next == wanted.size())
                return FilteredCursor::Stop;
            return wanted[next] == ordinal ? FilteredCursor::Keep : FilteredCursor::Skip;
        });
}

FeatureCursorPtr LocalSourceTypeManager::openPrefixCursor(const VkSourcePtr&, const QString&,
                                                          const QList<VkSegment>&, const QList<int>&,
                                                          QString* error) const {
    *error = QStringLiteral("No fields in source are searchable or match provided fieldList");
    return nullptr;
}
