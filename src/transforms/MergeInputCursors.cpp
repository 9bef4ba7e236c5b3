#include "transforms/MergeInputCursors.h"

void MergeInputCursors::add(FeatureCursorPtr cursor) {
    Input input;
    input.cursor = std::move(cursor);
    m_inputs.push_back(std::move(input));
}

bool MergeInputCursors::refill(Input& input, QString* error) {
    while (input.next >= input.batch.size() && !input.cursor->atEnd()) {
        input.batch.clear();
        input.next = 0;
        if (!input.cursor->fill(input.batch, m_batchSize, error))
            return false;
    }
    return true;
}

bool MergeInputCursors::less(const VkSegment& a, const VkSegment& b) const {
    if (a.chromosome() != b.chromosome())
        return m_order.chromosomeLess(a.chromosome(), b.chromosome());
    return a.start() < b.start();
}

int MergeInputCursors::nextInput(QString* error) {
    int best = -1;
    for (int i = 0; i < count(); ++i) {
        Input& input = m_inputs[size_t(i)];
        if (!refill(input, error))
            return -1;
        if (input.next >= input.batch.size())
            continue;
        if (best < 0 || less(head(i).segment(), head(best).segment()))
            best = i;
    }
    return best;
}

VkFeature MergeInputCursors::takeHead(int i) {
    Input& input = m_inputs[size_t(i)];
    return std::move(input.batch[input.next++]);
}

bool MergeInputCursors::atEnd() const {
    for (const Input& input : m_inputs)
        if (input.next < input.batch.size() || !input.cursor->atEnd())
            return false;
    return true;
}

int MergeInputCursors::percentDone() const {
    if (m_inputs.empty())
        return 100;
    int total = 0;
    for (const Input& input : m_inputs) {
        const int percent = input.cursor->percentDone();
        if (percent < 0)
            return -1;
        total += percent;
    }
    return total / int(m_inputs.size());
}

bool MergeInputCursors::canReseek() const {
    for (const Input& input : m_inputs)
        if (!input.cursor->canReseek())
            return false;
    return true;
}

bool MergeInputCursors::reseek(const QList<VkSegment>& regions, QString* error) {
    for (Input& input : m_inputs) {
        input.batch.clear();
        input.next = 0;
        if (!input.cursor->reseek(regions, error))
            return false;
    }
    return true;
}
