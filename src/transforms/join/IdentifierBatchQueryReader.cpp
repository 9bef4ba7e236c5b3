#include "transforms/join/IdentifierBatchQueryReader.h"

#include <algorithm>

namespace {
constexpr int kLeftBatch = 1024;

// Sorted in the right source's order and merged, so the query reads each stretch once.
QList<VkSegment> mergedInOrder(QList<VkSegment> places, const ChromosomeOrder& order) {
    std::sort(places.begin(), places.end(),
              [&order](const VkSegment& a, const VkSegment& b) { return order.less(a, b); });
    QList<VkSegment> merged;
    for (const VkSegment& place : qAsConst(places)) {
        if (!merged.isEmpty() && merged.last().chromosome() == place.chromosome() &&
            place.start() <= merged.last().stop())
            merged.last().setStop(std::max(merged.last().stop(), place.stop()));
        else
            merged.append(place);
    }
    return merged;
}
} // namespace

IdentifierBatchQueryReader::IdentifierBatchQueryReader(FeatureCursorPtr left, Join join)
    : m_left(std::move(left)), m_join(std::move(join)), m_query(m_join.right, m_join.rightFields) {}

bool IdentifierBatchQueryReader::atEnd() const {
    return m_output.empty() && m_left->atEnd();
}

bool IdentifierBatchQueryReader::fill(VkFeatureList& batch, int maxCount, QString* error) {
    const int wanted = batch.size() + maxCount;
    while (batch.size() < wanted) {
        if (!m_output.empty()) {
            batch.append(std::move(m_output.front()));
            m_output.pop_front();
            continue;
        }
        if (m_left->atEnd())
            break;
        if (!joinNextBatch(error))
            return false;
    }
    return true;
}

bool IdentifierBatchQueryReader::joinNextBatch(QString* error) {
    if (!m_indexed) {
        if (!m_index.build(m_join.right, m_join.rightIdField, error))
            return false;
        m_indexed = true;
    }
    m_leftBatch.clear();
    while (m_leftBatch.isEmpty() && !m_left->atEnd())
        if (!m_left->fill(m_leftBatch, kLeftBatch, error))
            return false;
    if (!findMatches(error))
        return false;
    for (const VkFeature& left : qAsConst(m_leftBatch))
        join(left);
    return true;
}

bool IdentifierBatchQueryReader::findMatches(QString* error) {
    m_byKey.clear();
    m_found.clear();
    for (const VkFeature& left : qAsConst(m_leftBatch)) {
        RightIdIndex::keysOf(left.value(m_join.leftIdField), m_keys);
        for (const QByteArray& key : qAsConst(m_keys))
            m_byKey[key];
    }
    const QList<VkSegment> places = placesOfWantedKeys();
    if (places.isEmpty())
        return true;
    VkFeatureList found;
    if (!m_query.start(places, error) || !m_query.readAll(found, error))
        return false;
    for (const VkFeature& right : qAsConst(found)) {
        RightIdIndex::keysOf(right.value(m_join.rightIdField), m_keys);
        int index = -1;
        for (const QByteArray& key : qAsConst(m_keys)) {
            const auto carriers = m_byKey.find(key);
            if (carriers == m_byKey.end())
                continue;
            if (index < 0) {
                index = m_found.size();
                m_found.append(JoinMatch{right, m_nextId++});
            }
            if (carriers->isEmpty() || carriers->last() != index)
                carriers->append(index);
        }
    }
    return true;
}

// A record of no length (an insertion) is asked for with the bases around it, so that it is found
// whichever way a source treats empty records.
QList<VkSegment> IdentifierBatchQueryReader::placesOfWantedKeys() const {
    QList<VkSegment> places;
    for (auto key = m_byKey.cbegin(); key != m_byKey.cend(); ++key)
        m_index.placesOf(key.key(), places);
    for (VkSegment& place : places)
        if (place.isEmpty())
            place = VkSegment(place.chromosome(), std::max(0, place.start() - 1), place.start() + 1);
    return mergedInOrder(places, m_join.right->info().chromosomeOrder);
}

void IdentifierBatchQueryReader::join(const VkFeature& left) {
    RightIdIndex::keysOf(left.value(m_join.leftIdField), m_keys);
    m_picked.clear();
    for (const QByteArray& key : qAsConst(m_keys))
        m_picked += m_byKey.value(key);
    std::sort(m_picked.begin(), m_picked.end());
    m_picked.erase(std::unique(m_picked.begin(), m_picked.end()), m_picked.end());
    m_matches.clear();
    for (int found : qAsConst(m_picked))
        m_matches.append(m_found.at(found));
    m_join.rows.append(left, m_matches, m_output);
}
