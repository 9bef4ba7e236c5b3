#include "transforms/join/RightMatcher.h"

#include "source/registry/VkSourceTypeManager.h"

#include <algorithm>

namespace {
constexpr int kSweepBatch = 1024;
} // namespace

RightMatcher::RightMatcher(VkSourcePtr right, QList<int> fields, bool sweep)
    : m_right(right), m_fields(fields), m_sweeping(sweep), m_query(right, fields) {
    const QList<QByteArray>& names = right->info().chromosomeOrder.names();
    for (int i = 0; i < names.size(); ++i)
        m_ranks.insert(names[i], i);
}

bool RightMatcher::isCandidate(const VkSegment& right, const VkSegment& left) {
    if (right.chromosome() != left.chromosome())
        return false;
    const bool contains = right.start() <= left.start() && right.stop() >= left.stop();
    return contains || (right.start() < left.stop() && left.start() < right.stop());
}

bool RightMatcher::candidates(const VkSegment& left, JoinMatches* out, QString* error) {
    out->clear();
    if (!m_sweeping)
        return query(left, out, error);
    return sweep(left, out, error);
}

// A zero-length left feature (an insertion) is asked for with the base before it too, so that a
// region ending where it stands is found.
bool RightMatcher::query(const VkSegment& left, JoinMatches* out, QString* error) {
    const int32_t start = left.isEmpty() && left.start() > 0 ? left.start() - 1 : left.start();
    const int32_t stop =
        std::max(left.stop(), int32_t(std::min<int64_t>(int64_t(left.start()) + 1, INT32_MAX)));
    VkFeatureList found;
    if (!m_query.start({VkSegment(left.chromosome(), start, stop)}, error) || !m_query.readAll(found, error))
        return false;
    for (const VkFeature& feature : qAsConst(found))
        if (isCandidate(feature.segment(), left))
            out->append(JoinMatch{feature, m_nextId++});
    return true;
}

bool RightMatcher::readNext(QString* error) {
    if (!m_started) {
        m_started = true;
        m_cursor = m_right->manager()->openCursor(m_right, ReadRequest::all(m_fields), error);
        if (!m_cursor)
            return false;
    }
    if (m_inBatch >= m_batch.size()) {
        m_batch.clear();
        m_inBatch = 0;
        while (m_batch.isEmpty() && !m_cursor->atEnd())
            if (!m_cursor->fill(m_batch, kSweepBatch, error))
                return false;
    }
    m_hasPending = m_inBatch < m_batch.size();
    if (m_hasPending)
        m_pending = JoinMatch{m_batch[m_inBatch++], m_nextId++};
    return true;
}

bool RightMatcher::sweep(const VkSegment& left, JoinMatches* out, QString* error) {
    if (!m_started && !readNext(error))
        return false;
    if (left.chromosome() != m_chromosome) {
        const int target = rank(left.chromosome());
        // A chromosome the right source lacks has nothing to match; one the sweep has passed is
        // asked for directly.
        if (target < 0)
            return true;
        if (!m_chromosome.isEmpty() && target < rank(m_chromosome))
            return query(left, out, error);
        m_active.clear();
        m_chromosome = left.chromosome();
        m_lastStart = left.start();
        while (m_hasPending && m_pending.feature.segment().chromosome() != m_chromosome &&
               rank(m_pending.feature.segment().chromosome()) < target)
            if (!readNext(error))
                return false;
    } else if (left.start() < m_lastStart) {
        return query(left, out, error);
    }
    m_lastStart = left.start();
    while (m_hasPending && m_pending.feature.segment().chromosome() == m_chromosome &&
           m_pending.feature.segment().start() <= left.stop()) {
        m_active.append(m_pending);
        if (!readNext(error))
            return false;
    }
    // Left features come in order, so a right feature that ends before this one starts is done.
    m_active.erase(std::remove_if(m_active.begin(), m_active.end(),
                                  [&left](const JoinMatch& match) {
                                      return match.feature.segment().stop() < left.start();
                                  }),
                   m_active.end());
    for (const JoinMatch& match : qAsConst(m_active))
        if (isCandidate(match.feature.segment(), left))
            out->append(match);
    return true;
}
