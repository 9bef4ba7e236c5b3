#include "source/readers/FeatureCursor.h"

ReadRequest ReadRequest::all(QList<int> fields) {
    ReadRequest request;
    request.fieldList = std::move(fields);
    return request;
}

ReadRequest ReadRequest::byRegion(QList<VkSegment> regions, QList<int> fields, int mode) {
    ReadRequest request;
    request.kind = Region;
    request.regions = std::move(regions);
    request.fieldList = std::move(fields);
    request.mode = mode;
    return request;
}

bool FeatureCursor::reseek(const QList<VkSegment>&, QString* error) {
    *error = QStringLiteral("This read cannot be re-aimed at other regions");
    return false;
}
