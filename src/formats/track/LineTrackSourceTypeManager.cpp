#include "formats/track/LineTrackSourceTypeManager.h"

#include "formats/track/LineTrackReader.h"

#include <QFileInfo>

VkFeatureReader* LineTrackSourceTypeManager::createFeatureReader(const VkSourcePtr& source) const {
    return new LineTrackReader(source);
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
