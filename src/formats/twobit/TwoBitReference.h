#pragma once

#include "source/reference/ReferenceSequence.h"

#include <QFile>
#include <QSharedPointer>

#include <memory>

// A reference sequence in the 2bit format: a header, an index of sequence names and offsets, and
// per sequence its length, its runs of N, its soft-masked (lower case) runs and its bases packed
// four to a byte. The file is mapped into memory and read in place, so fetches need no lock.
class TwoBitReference : public ReferenceSequence {
public:
    // Opens and checks the file; null, with the reason, when it is missing or not a valid 2bit file.
    static QSharedPointer<TwoBitReference> open(const QString& path, QString* error);

protected:
    bool fetch(int index, qint64 start, qint64 stop, QByteArray* out, QString* error) const override;

private:
    // Where a sequence's record parts lie in the file.
    struct Record {
        qint64 nBlocks; // offset of the N block starts, then their sizes
        quint32 nCount;
        qint64 maskBlocks; // offset of the mask block starts, then their sizes
        quint32 maskCount;
        qint64 packed; // offset of the packed bases
    };

    TwoBitReference(QVector<Sequence> sequences, QVector<Record> records, std::unique_ptr<QFile> file,
                    const uchar* data, bool swapped);
    quint32 word(qint64 offset) const;
    // Applies fn(from, to) to the parts of [start, stop) that the blocks at offset cover.
    template <class Fn> void forBlocks(qint64 offset, quint32 count, qint64 start, qint64 stop, Fn fn) const;

    QVector<Record> m_records;
    std::unique_ptr<QFile> m_file;
    const uchar* m_data;
    bool m_swapped;
};
