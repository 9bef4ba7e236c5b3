#include "source/reference/ReferenceSequence.h"
#include "transforms/AlignReferenceCache.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

// Two chromosomes of known bases, soft-masked in part, that count the reads made of them.
class CountingReference : public ReferenceSequence {
public:
    CountingReference(QByteArray first, QByteArray second)
        : ReferenceSequence({{"1", first.size()}, {"2", second.size()}}), m_bases{std::move(first),
                                                                                  std::move(second)} {}

    mutable int reads = 0;

protected:
    bool fetch(int index, qint64 start, qint64 stop, QByteArray* out, QString*) const override {
        ++reads;
        *out = m_bases[index].mid(int(start), int(stop - start));
        return true;
    }

private:
    QByteArray m_bases[2];
};

QByteArray randomBases(int length, quint32 seed) {
    QRandomGenerator random(seed);
    QByteArray bases(length, 'A');
    for (char& base : bases)
        base = "ACGTacgt"[random.bounded(8)];
    return bases;
}

QByteArray viewed(AlignReferenceCache& cache, const QByteArray& chromosome, qint64 start, qint64 length) {
    AlignReferenceCache::View view;
    QString error;
    EXPECT_TRUE(cache.lookup(chromosome, start, length, &view, &error)) << error.toStdString();
    return QByteArray(view.data, int(view.size));
}

TEST(AlignReferenceCache, FollowsSortedRequestsReadingTheReferenceInStretches) {
    const QByteArray first = randomBases(300000, 1);
    const QByteArray second = randomBases(1000, 2);
    CountingReference reference(first, second);
    AlignReferenceCache cache(&reference);
    int requests = 0;
    for (qint64 start = 5; start < first.size(); start += 37 + start % 50, ++requests)
        ASSERT_EQ(viewed(cache, "1", start - 8, 30), first.mid(int(start - 8), 30).toUpper()) << start;
    EXPECT_GT(requests, 4000);
    EXPECT_LT(reference.reads, 25);
    // Back by less than what is kept, and back further: prepended.
    EXPECT_EQ(viewed(cache, "1", 290000, 12), first.mid(290000, 12).toUpper());
    EXPECT_EQ(viewed(cache, "1", 200000, 12), first.mid(200000, 12).toUpper());
    // Cut at the chromosome's end; another chromosome starts afresh.
    EXPECT_EQ(viewed(cache, "1", 299990, 40), first.mid(299990).toUpper());
    EXPECT_EQ(viewed(cache, "2", 990, 40), second.mid(990).toUpper());
    EXPECT_EQ(cache.chromosomeLength(), 1000);

    AlignReferenceCache::View view;
    QString error;
    EXPECT_FALSE(cache.lookup("3", 0, 10, &view, &error));
    EXPECT_EQ(error, "The reference sequence has no chromosome 3");
}

} // namespace
