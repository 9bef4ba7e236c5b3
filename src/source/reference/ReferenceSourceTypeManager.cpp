#include "source/reference/ReferenceSourceTypeManager.h"

#include "source/reference/ReferenceSequence.h"

#include <algorithm>

namespace {
constexpr qint64 W = ReferenceSequence::WindowSize;

// Consecutive windows [first, end) of one sequence.
struct WindowRun {
    int sequence;
    qint64 first;
    qint64 end;
};

qint64 windowsOf(const ReferenceSequence::Sequence& sequence) {
    return (sequence.length + W - 1) / W;
}

class WindowCursor : public FeatureCursor {
public:
    WindowCursor(const ReferenceSequence* reference, QVector<WindowRun> runs, const QList<int>& fields)
        : m_reference(reference), m_runs(std::move(runs)), m_withBases(fields.contains(0)) {
        for (const WindowRun& run : m_runs)
            m_total += run.end - run.first;
        if (!m_runs.isEmpty())
            m_next = m_runs.first().first;
    }

    bool fill(VkFeatureList& batch, int maxCount, QString* error) override {
        for (int i = 0; i < maxCount && !atEnd(); ++i) {
            const WindowRun& run = m_runs[m_run];
            const ReferenceSequence::Sequence& sequence = m_reference->sequences()[run.sequence];
            const int32_t start = int32_t(m_next * W);
            const int32_t stop = int32_t(std::min(sequence.length, (m_next + 1) * W));
            PVariant value;
            if (m_withBases) {
                QByteArray bases;
                if (!m_reference->bases(sequence.name, start, stop, &bases, error))
                    return false;
                value = PVariant(std::move(bases));
            }
            batch.append(VkFeature(VkSegment(sequence.name, start, stop), {std::move(value)}));
            advance();
        }
        return true;
    }
    bool atEnd() const override { return m_run >= m_runs.size(); }
    int percentDone() const override { return m_total ? int(100 * m_done / m_total) : 100; }

private:
    void advance() {
        ++m_done;
        if (++m_next < m_runs[m_run].end)
            return;
        if (++m_run < m_runs.size())
            m_next = m_runs[m_run].first;
    }

    const ReferenceSequence* m_reference;
    QVector<WindowRun> m_runs;
    bool m_withBases;
    int m_run = 0;
    qint64 m_next = 0;
    qint64 m_done = 0;
    qint64 m_total = 0;
};

// The windows of one sequence that overlap any of the regions, merged, in order.
QVector<WindowRun> overlappingRuns(const ReferenceSequence::Sequence& sequence, int index,
                                   const QList<VkSegment>& regions) {
    QVector<WindowRun> runs;
    for (const VkSegment& region : regions) {
        if (region.chromosome() != sequence.name || region.start() >= sequence.length)
            continue;
        const qint64 first = std::max<qint64>(0, region.start()) / W;
        const qint64 end = std::min<qint64>(windowsOf(sequence), (qint64(region.stop()) + W - 1) / W);
        if (first < end)
            runs.append({index, first, end});
    }
    std::sort(runs.begin(), runs.end(),
              [](const WindowRun& a, const WindowRun& b) { return a.first < b.first; });
    QVector<WindowRun> merged;
    for (const WindowRun& run : runs) {
        if (!merged.isEmpty() && run.first <= merged.last().end)
            merged.last().end = std::max(merged.last().end, run.end);
        else
            merged.append(run);
    }
    return merged;
}

const ReferenceSequence* referenceOf(const VkSource& source, QString* error) {
    const ReferenceSequence* reference = ReferenceSequence::of(source);
    if (!reference)
        *error = QStringLiteral("%1 is not a readable reference sequence").arg(source.path());
    return reference;
}
} // namespace

FeatureCursorPtr ReferenceSourceTypeManager::openSequentialCursor(const VkSourcePtr& source, qint64 offset,
                                                                  const QList<int>& fields,
                                                                  QString* error) const {
    const ReferenceSequence* ref = referenceOf(*source, error);
    if (!ref)
        return nullptr;
    QVector<WindowRun> runs;
    const auto& sequences = ref->sequences();
    for (int i = 0; i < sequences.size(); ++i) {
        const qint64 count = windowsOf(sequences[i]);
        if (offset < count)
            runs.append({i, std::max<qint64>(offset, 0), count});
        offset = std::max<qint64>(0, offset - count);
    }
    return std::make_unique<WindowCursor>(ref, std::move(runs), fields);
}

FeatureCursorPtr ReferenceSourceTypeManager::openIndexedCursor(const VkSourcePtr& source,
                                                               const QList<VkSegment>& regions,
                                                               const QList<int>& fields,
                                                               QString* error) const {
    const ReferenceSequence* ref = referenceOf(*source, error);
    if (!ref)
        return nullptr;
    QVector<WindowRun> runs;
    const auto& sequences = ref->sequences();
    for (int i = 0; i < sequences.size(); ++i)
        runs += overlappingRuns(sequences[i], i, regions);
    return std::make_unique<WindowCursor>(ref, std::move(runs), fields);
}

FeatureCursorPtr ReferenceSourceTypeManager::openIdsCursor(const VkSourcePtr& source,
                                                           const QList<qint64>& ids, const QList<int>& fields,
                                                           QString* error) const {
    const ReferenceSequence* ref = referenceOf(*source, error);
    if (!ref)
        return nullptr;
    QList<qint64> wanted = ids;
    std::sort(wanted.begin(), wanted.end());
    wanted.erase(std::unique(wanted.begin(), wanted.end()), wanted.end());
    QVector<WindowRun> runs;
    const auto& sequences = ref->sequences();
    qint64 firstOrdinal = 0;
    int next = 0;
    for (int i = 0; i < sequences.size() && next < wanted.size(); ++i) {
        const qint64 count = windowsOf(sequences[i]);
        for (; next < wanted.size() && wanted[next] < firstOrdinal + count; ++next)
            if (wanted[next] >= firstOrdinal)
                runs.append({i, wanted[next] - firstOrdinal, wanted[next] - firstOrdinal + 1});
        firstOrdinal += count;
    }
    return std::make_unique<WindowCursor>(ref, std::move(runs), fields);
}
