#include "transforms/join/LeftFeatureCursor.h"

namespace {
constexpr int kLeftBatch = 256;
} // namespace

bool LeftFeatureCursor::atEnd() const {
    return m_output.empty() && m_nextLeft >= m_leftBatch.size() && m_left->atEnd();
}

bool LeftFeatureCursor::fill(VkFeatureList& batch, int maxCount, QString* error) {
    const int wanted = batch.size() + maxCount;
    while (batch.size() < wanted) {
        if (!m_output.empty()) {
            batch.append(std::move(m_output.front()));
            m_output.pop_front();
            continue;
        }
        if (m_nextLeft >= m_leftBatch.size()) {
            if (m_left->atEnd())
                break;
            m_leftBatch.clear();
            m_nextLeft = 0;
            if (!m_left->fill(m_leftBatch, kLeftBatch, error))
                return false;
            continue;
        }
        if (!join(m_leftBatch[m_nextLeft++], m_output, error))
            return false;
    }
    return true;
}
