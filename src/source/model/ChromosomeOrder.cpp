#include "source/model/ChromosomeOrder.h"

ChromosomeOrder::ChromosomeOrder(const QList<QByteArray>& names, Sortedness sortedness)
    : m_sortedness(sortedness) {
    for (const QByteArray& name : names)
        append(name);
}

void ChromosomeOrder::append(const QByteArray& name) {
    if (m_ranks.contains(name))
        return;
    m_ranks.insert(name, m_names.size());
    m_names.append(name);
}

bool ChromosomeOrder::chromosomeLess(const QByteArray& a, const QByteArray& b) const {
    if (a == b)
        return false;
    const int rankA = m_ranks.value(a, -1);
    const int rankB = m_ranks.value(b, -1);
    if (rankA >= 0 && rankB >= 0)
        return rankA < rankB;
    if (rankA >= 0 || rankB >= 0)
        return rankA >= 0;
    return naturalCompare(a, b) < 0;
}

bool ChromosomeOrder::less(const VkSegment& a, const VkSegment& b) const {
    if (a.chromosome() != b.chromosome())
        return chromosomeLess(a.chromosome(), b.chromosome());
    return a < b;
}

int ChromosomeOrder::naturalCompare(const QByteArray& a, const QByteArray& b) {
    const auto isDigit = [](char c) { return c >= '0' && c <= '9'; };
    int i = 0;
    int j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            int endA = i;
            int endB = j;
            while (endA < a.size() && a[endA] == '0')
                ++endA;
            while (endB < b.size() && b[endB] == '0')
                ++endB;
            int digitsA = endA;
            int digitsB = endB;
            while (digitsA < a.size() && isDigit(a[digitsA]))
                ++digitsA;
            while (digitsB < b.size() && isDigit(b[digitsB]))
                ++digitsB;
            const int lengthA = digitsA - endA;
            const int lengthB = digitsB - endB;
            if (lengthA != lengthB)
                return lengthA - lengthB;
            const int numbers = qstrncmp(a.constData() + endA, b.constData() + endB, uint(lengthA));
            if (numbers != 0)
                return numbers;
            i = digitsA;
            j = digitsB;
            continue;
        }
        if (a[i] != b[j])
            return isDigit(a[i]) ? -1 : isDigit(b[j]) ? 1 : int(uchar(a[i])) - int(uchar(b[j]));
        ++i;
        ++j;
    }
    return (a.size() - i) - (b.size() - j);
}

ChromosomeOrder ChromosomeOrder::merged(const QList<ChromosomeOrder>& orders) {
    ChromosomeOrder all;
    bool sorted = !orders.isEmpty();
    for (const ChromosomeOrder& order : orders) {
        for (const QByteArray& name : order.names())
            all.append(name);
        sorted = sorted && order.isSorted();
    }
    all.setSortedness(sorted ? Sortedness::Sorted : Sortedness::Unknown);
    return all;
}
