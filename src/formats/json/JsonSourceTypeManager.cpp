#include "formats/json/JsonSourceTypeManager.h"

#include "formats/json/JsonTrack.h"
#include "source/registry/VkSourceTypeRegistry.h"

#include <QFileInfo>

#include <algorithm>
#include <numeric>

namespace {

// Features of the track at a list of ordinals, with only the wanted fields filled.
class JsonCursor : public FeatureCursor {
public:
    JsonCursor(const JsonTrack& track, std::vector<qint64> ordinals, const QList<int>& fields)
        : m_track(track), m_ordinals(std::move(ordinals)), m_fields(fields) {
        std::sort(m_fields.begin(), m_fields.end());
        m_fields.erase(std::unique(m_fields.begin(), m_fields.end()), m_fields.end());
        const int count = track.schema().size();
        m_allFields =
            m_fields.size() == count && count > 0 && m_fields.first() == 0 && m_fields.last() == count - 1;
    }

    bool fill(VkFeatureList& batch, int maxCount, QString*) override {
        for (int added = 0; added < maxCount && !atEnd(); ++added, ++m_next) {
            const VkFeature& full = m_track.features().at(int(m_ordinals[m_next]));
            if (m_allFields) {
                batch.append(full);
                continue;
            }
            VkFeature wanted(full.segment(), PVariantVector(full.size()));
            for (int idx : qAsConst(m_fields))
                wanted.setValue(idx, full.value(idx));
            batch.append(wanted);
        }
        return true;
    }
    bool atEnd() const override { return m_next >= m_ordinals.size(); }
    int percentDone() const override {
        return m_ordinals.empty() ? 100 : int(qint64(m_next) * 100 / qint64(m_ordinals.size()));
    }

private:
    const JsonTrack& m_track;
    std::vector<qint64> m_ordinals;
    QList<int> m_fields;
    bool m_allFields = false;
    size_t m_next = 0;
};

const JsonTrack* trackOf(const VkSource& source, QString* error) {
    const JsonTrack* track = source.resource<JsonTrack>();
    if (!track)
        *error = QStringLiteral("Source %1 is not open").arg(source.path());
    return track;
}

[[maybe_unused]] const bool registered = [] {
    VkSourceTypeRegistry::instance().registerManager(std::make_unique<JsonSourceTypeManager>());
    return true;
}();
} // namespace

bool JsonSourceTypeManager::describe(VkSource& source, QString* error) const {
    auto track = QSharedPointer<JsonTrack>::create();
    if (!track->load(source.path(), error))
        return false;
    VkSourceInfo& info = source.info();
    const QFileInfo file(source.path());
    info.name = file.fileName();
    info.size = file.size();
    info.locusCount = int32_t(track->features().size());
    info.coordInfo.featureType = QString::fromLatin1(FeatureTypeName::Interval);
    info.schema = track->schema();
    source.setResource(track);
    return true;
}

FeatureCursorPtr JsonSourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                             const QList<int>& fields, QString* error) const {
    const JsonTrack* track = trackOf(*source, error);
    if (!track)
        return nullptr;
    std::vector<qint64> ordinals(size_t(std::max<qint64>(0, track->features().size() - offset)));
    std::iota(ordinals.begin(), ordinals.end(), offset);
    return std::make_unique<JsonCursor>(*track, std::move(ordinals), fields);
}

FeatureCursorPtr JsonSourceTypeManager::openIndexedCursor(const VkSourcePtr& source,
                                                          const QList<VkSegment>& regions,
                                                          const QList<int>& fields, QString* error) const {
    const JsonTrack* track = trackOf(*source, error);
    if (!track)
        return nullptr;
    return std::make_unique<JsonCursor>(*track, track->index().overlapping(regions), fields);
}
