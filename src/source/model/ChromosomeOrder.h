#pragma once

#include "source/model/VkSegment.h"

#include <QHash>
#include <QList>

// The order in which a source's chromosomes come (from its header, index or file), and whether
// its features are known to come in that order, by start within each chromosome. Sources merged
// in genomic order are read against it: a segment order across chromosomes that VkSegment's own
// order leaves open.
class ChromosomeOrder {
public:
    enum class Sortedness { Unknown, Sorted, Unsorted };

    ChromosomeOrder() = default;
    explicit ChromosomeOrder(const QList<QByteArray>& names, Sortedness sortedness = Sortedness::Unknown);

    const QList<QByteArray>& names() const { return m_names; }
    Sortedness sortedness() const { return m_sortedness; }
    bool isSorted() const { return m_sortedness == Sortedness::Sorted; }
    void setSortedness(Sortedness sortedness) { m_sortedness = sortedness; }
    // Appends a chromosome the order does not list yet.
    void append(const QByteArray& name);

    // Whether chromosome a comes before chromosome b: listed ones in list order, then the others
    // in natural order ("chr2" before "chr10").
    bool chromosomeLess(const QByteArray& a, const QByteArray& b) const;
    // Segments by chromosome in this order, then as VkSegment orders them.
    bool less(const VkSegment& a, const VkSegment& b) const;

    // Names compared with their runs of digits read as numbers: negative, 0 or positive.
    static int naturalCompare(const QByteArray& a, const QByteArray& b);
    // The chromosomes of several orders: the first's, then each next one's that are new. Sorted
    // only when every order is.
    static ChromosomeOrder merged(const QList<ChromosomeOrder>& orders);

private:
    QList<QByteArray> m_names;
    QHash<QByteArray, int> m_ranks;
    Sortedness m_sortedness = Sortedness::Unknown;
};
