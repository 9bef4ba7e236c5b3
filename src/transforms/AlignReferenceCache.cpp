#include "transforms/AlignReferenceCache.h"

#include "source/reference/ReferenceSequence.h"

#include <algorithm>

namespace {
// A request further than this past the cached end starts the cache afresh.
constexpr qint64 kRestartDistance = 20000;
// Bases kept before the current request, and the excess tolerated before trimming to them.
constexpr qint64 kKeptBefore = 20000;
constexpr qint64 kTrimSlack = 1000;
// Bases read at a time when the cache grows at its end.
constexpr qint64 kReadAhead = 16384;
// Dropped bases kept in the buffer, at most, before it is compacted.
constexpr qint64 kCompactAfter = 65536;

// Soft-masked (lower-case) bases compare equal to the alleles' upper-case ones.
void toUpperCase(QByteArray& bases) {
    for (char& base : bases)
        base = char(base >= 'a' && base <= 'z' ? base - 'a' + 'A' : base);
}
} // namespace

bool AlignReferenceCache::lookup(const QByteArray& chromosome, qint64 start, qint64 length, View* view,
                                 QString* error) {
    const qint64 stop = std::max<qint64>(start + std::max<qint64>(length, 0), 0);
    start = std::max<qint64>(start, 0);
    if (chromosome != m_chromosome || stop > end() + kRestartDistance) {
        if (!restart(chromosome, start, error))
            return false;
    }
    if (start < m_start && !prepend(start, error))
        return false;
    if (stop > end() && !append(stop, error))
        return false;
    if (start - m_start > kKeptBefore + kTrimSlack)
        drop(start - kKeptBefore - m_start);
    const qint64 offset = std::min(start - m_start, end() - m_start);
    view->data = m_bases.constData() + m_dropped + offset;
    view->size = std::min(stop, end()) - start;
    view->size = std::max<qint64>(view->size, 0);
    return true;
}

// Dropped bases leave the buffer only once they are most of it, so that following the variants
// moves each base about once.
void AlignReferenceCache::drop(qint64 count) {
    m_dropped += count;
    m_start += count;
    if (m_dropped > kCompactAfter && m_dropped * 2 > m_bases.size())
        compact();
}

void AlignReferenceCache::compact() {
    m_bases.remove(0, int(m_dropped));
    m_dropped = 0;
}

bool AlignReferenceCache::restart(const QByteArray& chromosome, qint64 start, QString* error) {
    m_chromosome.clear();
    m_bases.clear();
    m_dropped = 0;
    m_chromosomeLength = m_reference->length(chromosome);
    if (m_chromosomeLength < 0) {
        *error =
            QStringLiteral("The reference sequence has no chromosome %1").arg(QString::fromUtf8(chromosome));
        return false;
    }
    m_chromosome = chromosome;
    m_start = std::min(start, m_chromosomeLength);
    return true;
}

bool AlignReferenceCache::prepend(qint64 start, QString* error) {
    if (!m_reference->bases(m_chromosome, start, m_start, &m_read, error))
        return false;
    toUpperCase(m_read);
    compact();
    m_bases.prepend(m_read);
    m_start = start;
    return true;
}

bool AlignReferenceCache::append(qint64 stop, QString* error) {
    const qint64 from = end();
    const qint64 to = std::min(std::max(stop, from + kReadAhead), m_chromosomeLength);
    if (to <= from)
        return true;
    if (!m_reference->bases(m_chromosome, from, to, &m_read, error))
        return false;
    toUpperCase(m_read);
    m_bases.append(m_read);
    return true;
}
