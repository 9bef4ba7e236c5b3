#include "source/readers/LocalFeatureReader.h"

#include "source/readers/FilteredCursor.h"

#include <algorithm>

bool LocalFeatureReader::matches(const VkSegment& feature, const VkSegment& query, int readMode) {
    if (feature.chromosome() != query.chromosome())
        return false;
    switch (readMode) {
    case Vk::Exact:
        return feature.start() == query.start() && feature.stop() == query.stop();
    case Vk::Within:
        return feature.start() >= query.start() && feature.stop() <= query.stop();
    default: {
        // A zero-length feature (an insertion point) overlaps the query that holds its position.
        const int64_t stop = std::max<int64_t>(feature.stop(), int64_t(feature.start()) + 1);
        return feature.start() < query.stop() && query.start() < stop;
    }
    }
}

FeatureCursorPtr LocalFeatureReader::openCursor(const ReadRequest& request, QString* error) {
    switch (request.kind) {
    case ReadRequest::Offset:
        return openSequentialCursor(request.offset, request.fieldList, error);
    case ReadRequest::Ids:
        return openIdsCursor(request.ids, request.fieldList, error);
    case ReadRequest::Prefix:
        return openPrefixCursor(request.prefix, request.regions, request.fieldList, error);
    case ReadRequest::Region:
        break;
    }
    FeatureCursorPtr overlapping = openRegionCursor(request.regions, request.fieldList, error);
    if (!overlapping || request.mode == Vk::Overlap)
        return overlapping;
    const QList<VkSegment> regions = request.regions;
    const int mode = request.mode;
    return std::make_unique<FilteredCursor>(std::move(overlapping),
                                            [regions, mode](const VkFeature& f, qint64) {
                                                for (const VkSegment& region : regions)
                                                    if (matches(f.segment(), region, mode))
                                                        return FilteredCursor::Keep;
                                                return FilteredCursor::Skip;
                                            });
}

FeatureCursorPtr LocalFeatureReader::openSequentialCursor(qint64, const QList<int>&, QString* error) {
    *error = QStringLiteral("Source %1 cannot be read in order").arg(source()->path());
    return nullptr;
}

FeatureCursorPtr LocalFeatureReader::openRegionCursor(const QList<VkSegment>& regions,
                                                      const QList<int>& fields, QString* error) {
    FeatureCursorPtr all = openSequentialCursor(0, fields, error);
    if (!all)
        return nullptr;
    return std::make_unique<FilteredCursor>(std::move(all), [regions](const VkFeature& f, qint64) {
        for (const VkSegment& region : regions)
            if (matches(f.segment(), region, Vk::Overlap))
                return FilteredCursor::Keep;
        return FilteredCursor::Skip;
    });
}

FeatureCursorPtr LocalFeatureReader::openIdsCursor(const QList<qint64>& ids, const QList<int>& fields,
                                                   QString* error) {
    QList<qint64> wanted = ids;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    FeatureCursorPtr all = openSequentialCursor(0, fields, error);
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

FeatureCursorPtr LocalFeatureReader::openPrefixCursor(const QString&, const QList<VkSegment>&,
                                                      const QList<int>&, QString* error) {
    *error = QStringLiteral("No fields in source are searchable or match provided fieldList");
    return nullptr;
}
