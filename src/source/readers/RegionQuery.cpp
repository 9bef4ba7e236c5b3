#include "source/readers/RegionQuery.h"

#include "source/registry/VkSourceTypeManager.h"

RegionQuery::RegionQuery(VkSourcePtr source, QList<int> fields, int mode)
    : m_source(std::move(source)), m_fields(std::move(fields)), m_mode(mode) {}

bool RegionQuery::start(const QList<VkSegment>& regions, QString* error) {
    if (m_cursor && m_cursor->canReseek()) {
        if (m_cursor->reseek(regions, error))
            return true;
        m_cursor.reset();
        return false;
    }
    m_cursor =
        m_source->manager()->openCursor(m_source, ReadRequest::byRegion(regions, m_fields, m_mode), error);
    return m_cursor != nullptr;
}

bool RegionQuery::readAll(VkFeatureList& out, QString* error) {
    constexpr int kBatch = 256;
    while (!m_cursor->atEnd())
        if (!m_cursor->fill(out, kBatch, error))
            return false;
    return true;
}
