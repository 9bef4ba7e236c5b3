#include "formats/track/LineTrackSourceTypeManager.h"

#include "formats/track/LineTrackCursor.h"

#include <QFileInfo>

FeatureCursorPtr LineTrackSourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                                  const QList<int>& fields,
                                                                  QString* error) const {
    return LineTrackCursor::openSequential(source, offset, fields, error);
}

FeatureCursorPtr LineTrackSourceTypeManager::openIndexedCursor(const VkSourcePtr& source,
                                                               const QList<VkSegment>& regions,
                                                               const QList<int>& fields,
                                                               QString* error) const {
    return LineTrackCursor::openIndexed(source, regions, fields, error);
}

void LineTrackSourceTypeManager::attachTrack(VkSource& source, QSharedPointer<LineTrack> track) {
    source.info().chromosomeOrder = track->chromosomeOrder();
    source.setResource(std::move(track));
}

bool LineTrackSourceTypeManager::describeFile(VkSource& source, const char* featureType, QString* error) {
    const QFileInfo file(source.path());
    if (!file.isFile()) {
        *error = QStringLiteral("%1 does not exist").arg(source.path());
        return false;
    }
    VkSourceInfo& info = source.info();
    info.name = file.fileName();
    info.size = file.size();
    info.coordInfo.featureType = QString::fromLatin1(featureType);
    return true;
}
